// The message queue of the layers whose system has none of the Windows kind
// (SDL, the browser): the messages posted, and system events turned into
// messages, waiting for the next pump; the window procedure that receives
// them. The calls of platform/messages.h that need only these live here.
#pragma once

#include <deque>

#include "platform/messages.h"

struct PostedMessages {
    WindowProcedure procedure = nullptr;
    std::deque<PlatformMessage> posted;  // in arrival order
};

PostedMessages& postedMessages();
// Takes the oldest posted message; false when none waits.
bool takePostedMessage(PlatformMessage* message);
