// Key scripts for the commands that run the demo offscreen: "60:Q:down,120:Q:up"
// posts key transitions into the message queue before the iteration of the
// given frame (numbered from 1), as a user at the keyboard would.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct KeyEvent {
    int frame = 0;
    uint32_t virtualKey = 0;
    bool down = false;
};

// Parses SCRIPT (FRAME:KEY:down|up items separated by commas) into events
// ordered by frame, same-frame events in script order. False, with a one-line
// reason in `error`, for a malformed item, an unknown key or a frame outside
// 1..lastFrame.
bool parseKeyScript(const std::string& script, int lastFrame, std::vector<KeyEvent>& events, std::string& error);
// Posts the events of `frame`; *next is the first event not yet posted.
void postKeyEvents(const std::vector<KeyEvent>& events, int frame, size_t* next);
// `text` cut at every `separator`.
std::vector<std::string> split(const std::string& text, char separator);
