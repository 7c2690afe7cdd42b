// Preloaded into the real demo by first_frame.sh: at the demo's first buffer
// swap, prints the wall-clock time in nanoseconds to standard error and
// ends the process. The demo itself is unchanged.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

typedef struct SDL_Window SDL_Window;

extern "C" void SDL_GL_SwapWindow(SDL_Window* window) {
    using Swap = void (*)(SDL_Window*);
    static Swap realSwap = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    if (realSwap) realSwap(window);
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(stderr, "first-swap-ns %lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
    _exit(0);
}
