#include "platform/counter.h"

namespace {
CounterSource g_counter = systemCounter;
CounterSource g_frequency = systemFrequency;
SleepFunction g_sleep = systemSleepMicroseconds;
}  // namespace

uint64_t readCounter() {
    uint64_t count = g_counter();
    return count != 0 ? count : 1;
}

uint64_t readFrequency() {
    uint64_t frequency = g_frequency();
    return frequency != 0 ? frequency : ~uint64_t(0);
}

void setCounterSource(CounterSource counter, CounterSource frequency) {
    g_counter = counter ? counter : systemCounter;
    g_frequency = frequency ? frequency : systemFrequency;
}

void sleepMicroseconds(uint32_t microseconds) { g_sleep(microseconds); }
void setSleepFunction(SleepFunction sleep) { g_sleep = sleep ? sleep : systemSleepMicroseconds; }
