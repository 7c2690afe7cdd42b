// Once the queues have grown, a demo frame (update and render) allocates
// nothing. The test binary's operator new and malloc family count calls
// made on the measuring thread while counting is switched on; allocations
// made inside the OpenGL driver (any frame of the call stack in a Mesa, LLVM
// or GL dispatch library) are the driver's own and are not counted.
#include <dlfcn.h>
#include <link.h>
#include <execinfo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "app/engine.h"
#include "app/headless.h"
#include "app/main_loop.h"
#include "demo/demo.h"
#include "demo/demo_world.h"
#include "gpu/gl_state_cache.h"
#include "render/render_frame.h"
#include "gpu/shader_catalogue.h"

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void __libc_free(void* pointer);
}

namespace {

constexpr int kMaxFrames = 24;
constexpr int kReported = 4;

thread_local bool t_counting = false;  // only the thread that switched it on counts
thread_local bool t_inHook = false;
int g_allocations = 0;
void* g_stacks[kReported][kMaxFrames];
int g_stackDepths[kReported];

// Address ranges of the loaded GL driver libraries, taken before counting.
constexpr int kMaxRanges = 64;
uintptr_t g_driverStart[kMaxRanges], g_driverEnd[kMaxRanges];
int g_driverRanges = 0;

int addDriverRanges(dl_phdr_info* info, size_t, void*) {
    static const char* const kDriverLibraries[] = {"_dri.so", "libLLVM",    "libgallium", "/libGL",
                                                   "/libEGL", "/libOpenGL", "libglapi"};
    bool driver = false;
    for (const char* name : kDriverLibraries)
        driver = driver || (info->dlpi_name && std::strstr(info->dlpi_name, name));
    for (int i = 0; driver && i < info->dlpi_phnum && g_driverRanges < kMaxRanges; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || !(segment.p_flags & PF_X)) continue;
        g_driverStart[g_driverRanges] = info->dlpi_addr + segment.p_vaddr;
        g_driverEnd[g_driverRanges] = g_driverStart[g_driverRanges] + segment.p_memsz;
        ++g_driverRanges;
    }
    return 0;
}

bool inGlDriver(void* address) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(address);
    for (int i = 0; i < g_driverRanges; ++i)
        if (at >= g_driverStart[i] && at < g_driverEnd[i]) return true;
    return false;
}

void noteAllocation() {
    if (!t_counting || t_inHook) return;
    t_inHook = true;
    void* stack[kMaxFrames];
    const int depth = backtrace(stack, kMaxFrames);
    bool driver = false;
    for (int i = 0; i < depth && !driver; ++i) driver = inGlDriver(stack[i]);
    if (!driver) {
        if (g_allocations < kReported) {
            std::memcpy(g_stacks[g_allocations], stack, sizeof stack);
            g_stackDepths[g_allocations] = depth;
        }
        ++g_allocations;
    }
    t_inHook = false;
}

void startCounting() {
    void* warm[1];
    backtrace(warm, 1);  // loads the unwinder now rather than inside the window
    g_driverRanges = 0;
    dl_iterate_phdr(addDriverRanges, nullptr);
    g_allocations = 0;
    t_counting = true;
}

int stopCounting() {
    t_counting = false;
    return g_allocations;
}

// The call stacks of the first counted allocations, innermost first, as
// symbol names or as file+offset for addr2line.
std::string describeAllocations() {
    std::string text;
    for (int a = 0; a < g_allocations && a < kReported; ++a) {
        text += "allocation " + std::to_string(a + 1) + ":";
        for (int i = 0; i < g_stackDepths[a]; ++i) {
            Dl_info info;
            char frame[256] = "?";
            if (dladdr(g_stacks[a][i], &info) && info.dli_sname) {
                std::snprintf(frame, sizeof frame, "%s", info.dli_sname);
            } else if (info.dli_fname) {
                const char* slash = std::strrchr(info.dli_fname, '/');
                std::snprintf(frame, sizeof frame, "%s+0x%lx", slash ? slash + 1 : info.dli_fname,
                              static_cast<unsigned long>(reinterpret_cast<uintptr_t>(g_stacks[a][i]) -
                                                         reinterpret_cast<uintptr_t>(info.dli_fbase)));
            }
            text += std::string(" < ") + frame;
        }
        text += "\n";
    }
    return text;
}

// The demo started once on the offscreen driver, sound off, from a fresh world.
bool startDemo() {
    static const bool started = [] {
        resetDemoWorld();
        return startHeadless(64, 64, demoCallbacks());
    }();
    return started;
}

// What the main loop does for a frame between the message pump and the swap.
void demoFrame() {
    const Engine& record = *engine();
    shaderCatalogue().current = nullptr;
    demoUpdate(false);
    clearFrame(record.clearRed, record.clearGreen, record.clearBlue);
    renderFrame();
}

}  // namespace

void* operator new(size_t size) {
    noteAllocation();
    void* pointer = __libc_malloc(size ? size : 1);
    if (!pointer) throw std::bad_alloc();
    return pointer;
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* pointer) noexcept { __libc_free(pointer); }
void operator delete[](void* pointer) noexcept { __libc_free(pointer); }
void operator delete(void* pointer, size_t) noexcept { __libc_free(pointer); }
void operator delete[](void* pointer, size_t) noexcept { __libc_free(pointer); }

extern "C" void* malloc(size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}
extern "C" void* calloc(size_t count, size_t size) {
    noteAllocation();
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* pointer, size_t size) {
    noteAllocation();
    return __libc_realloc(pointer, size);
}
extern "C" void free(void* pointer) { __libc_free(pointer); }

TEST(NoAllocation, CounterSeesAllocationsOnlyWhileSwitchedOn) {
    static void* volatile kept;  // keeps the compiler from dropping the pairs below
    startCounting();
    std::string* text = new std::string(100, 'x');
    kept = std::malloc(16);
    const int counted = stopCounting();
    std::free(kept);
    delete text;
    EXPECT_GE(counted, 3);  // the string record, its characters, the block

    kept = std::malloc(16);
    std::free(kept);
    EXPECT_EQ(counted, stopCounting());
}

TEST(NoAllocation, DemoFramesAllocateNothingOnceTheQueuesHaveGrown) {
    ASSERT_TRUE(startDemo()) << "no offscreen GL context";
    for (int frame = 0; frame < 5; ++frame) demoFrame();

    startCounting();
    for (int frame = 0; frame < 100; ++frame) demoFrame();
    const int allocations = stopCounting();
    EXPECT_EQ(0, allocations) << describeAllocations();
    EXPECT_GT(demoWorld().trees.size(), 0u);  // the frames did submit instances
}
