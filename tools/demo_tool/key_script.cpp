#include "tools/demo_tool/key_script.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/messages.h"

namespace {
bool parseFrameNumber(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    value = std::atoi(text.c_str());
    return true;
}

bool sameName(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
    return true;
}

// The virtual key of a script key name; 0 when unknown.
uint32_t virtualKeyNamed(const std::string& name) {
    if (name.size() == 1) {
        char c = (char)std::toupper((unsigned char)name[0]);
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return (uint32_t)c;  // VK codes are ASCII here
        return 0;
    }
    static const struct {
        const char* name;
        uint32_t key;
    } kNamed[] = {{"Escape", VK_ESCAPE}, {"Enter", VK_RETURN}, {"Space", VK_SPACE},
                  {"Up", VK_UP},         {"Down", VK_DOWN},    {"Left", VK_LEFT},
                  {"Right", VK_RIGHT},   {"Shift", VK_SHIFT},  {"Control", VK_CONTROL}};
    for (const auto& entry : kNamed)
        if (sameName(name, entry.name)) return entry.key;
    return 0;
}
}  // namespace

bool parseKeyScript(const std::string& script, int lastFrame, std::vector<KeyEvent>& events, std::string& error) {
    for (const std::string& item : split(script, ',')) {
        std::vector<std::string> fields = split(item, ':');
        KeyEvent event;
        if (fields.size() != 3 || !parseFrameNumber(fields[0], event.frame) || event.frame < 1) {
            error = "bad key event '" + item + "' (expected FRAME:KEY:down|up)";
            return false;
        }
        if (event.frame > lastFrame) {
            error = "key event '" + item + "' comes after the last frame";
            return false;
        }
        event.virtualKey = virtualKeyNamed(fields[1]);
        if (event.virtualKey == 0) {
            error = "unknown key '" + fields[1] + "'";
            return false;
        }
        if (fields[2] != "down" && fields[2] != "up") {
            error = "bad key transition '" + fields[2] + "' (expected down or up)";
            return false;
        }
        event.down = fields[2] == "down";
        events.push_back(event);
    }
    // Same-frame events keep their script order.
    std::stable_sort(events.begin(), events.end(),
                     [](const KeyEvent& a, const KeyEvent& b) { return a.frame < b.frame; });
    return true;
}

void postKeyEvents(const std::vector<KeyEvent>& events, int frame, size_t* next) {
    for (; *next < events.size() && events[*next].frame == frame; ++*next)
        postKeyMessage(events[*next].virtualKey, events[*next].down);
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}
