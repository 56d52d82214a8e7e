#pragma once
// window_procedure: turns the platform's input events into queued messages.

#include "input.h"

#include <SDL.h>

#include <cstdint>

// What the mapping keeps between events.
struct InputState {
    std::uint32_t buttons = 0;  // SDL button mask, as the events report it
    // SDL key modifiers as of the latest key event. SDL's own modifier state
    // runs ahead: it has taken in every event pumped, not only those handled.
    std::uint16_t modifiers = 0;
    bool double_clicks = false;  // the first window asked for double clicks
};

// The messages one event gives: none for most, one for a click, one a byte
// for typed text.
struct MessageBatch {
    InputMessage records[SDL_TEXTINPUTEVENT_TEXT_SIZE + 1];
    int count = 0;
};

MessageBatch window_procedure(const SDL_Event& event, InputState& state);
