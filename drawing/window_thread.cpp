#include "window_thread.h"

#include "event_mapping.h"
#include "graph_wnd.h"
#include "library.h"
#include "stop_signals.h"
#include "x11_window.h"

#include <SDL.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {

// About sixty copies a second, each only when no event is waiting.
constexpr Uint32 copy_interval_ms = 17;

// The process ends here, on the window thread, without exit-time destruction.
// The game's main thread may at that moment be blocked in a network request,
// asleep, or inside a call of this layer; exit-time destruction would then
// destroy the pictures, the window object and the locks under its feet.
// Nothing the game owns needs destruction to be correct.
[[noreturn]] void end_process() { platform::end_process_now(); }

}  // namespace

struct WindowThread::State {
    explicit State(GraphWnd& window_object) : owner(window_object) {}

    GraphWnd& owner;
    std::thread thread;

    // A request: `task` runs on the thread, the caller waits for `task_done`.
    std::mutex request_mutex;
    std::mutex task_mutex;
    std::condition_variable task_changed;
    const std::function<void()>* task = nullptr;
    bool task_done = false;
    bool stopping = false;

    std::atomic<Uint32> wake_event{0};
    std::atomic<std::uint64_t> copies{0};

    // Used on the thread only.
    SDL_Window* window = nullptr;
    bool close_control = true;
    InputState input;
    Uint32 last_copy = 0;
    std::string driver;
};

namespace {

using State = WindowThread::State;

void start_video(State& state) {
    // The layer turns signals into a clean end itself, and a close request of
    // a window whose close control is disabled must not become a quit.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // A plain X11 image upload; the texture path would run OpenGL, in software
    // on a machine without a GPU.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    tolerate_lost_wakeups();
    if (SDL_Init(SDL_INIT_VIDEO) == 0) {
        state.driver = SDL_GetCurrentVideoDriver();
    } else {
        std::fprintf(stderr, "drawing: no video: %s\n", SDL_GetError());
        SDL_Init(SDL_INIT_EVENTS);
    }
    state.wake_event = SDL_RegisterEvents(1);
    platform::watch_end_signals();
}

void destroy_window(State& state) {
    if (!state.window) return;
    SDL_HideWindow(state.window);
    SDL_DestroyWindow(state.window);
    state.window = nullptr;
}

void stop_video(State& state) {
    destroy_window(state);
    platform::stop_watching_end_signals();
    state.wake_event = 0;
    SDL_Quit();
}

void copy_to_screen(State& state) {
    SDL_Surface* screen = SDL_GetWindowSurface(state.window);
    if (screen) {
        std::lock_guard lock(draw_lock);
        IMAGE& back_buffer = state.owner;
        SDL_Surface* source = back_buffer.pixels
            ? SDL_CreateRGBSurfaceWithFormatFrom(back_buffer.pixels, back_buffer.width, back_buffer.height,
                                                 32, back_buffer.width * 4, SDL_PIXELFORMAT_RGB888)
            : nullptr;
        if (source) {
            SDL_BlitSurface(source, nullptr, screen, nullptr);
            SDL_FreeSurface(source);
        }
    }
    if (screen) SDL_UpdateWindowSurface(state.window);
    state.last_copy = SDL_GetTicks();
    state.copies.fetch_add(1);
}

void handle_event(State& state, const SDL_Event& event) {
    if (event.type == SDL_QUIT) end_process();
    if (event.type == state.wake_event) return;
    if (event.type == SDL_WINDOWEVENT) {
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            if (state.close_control) end_process();
            return;
        }
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) state.last_copy = SDL_GetTicks() - copy_interval_ms;
    }
    const MessageBatch batch = window_procedure(event, state.input);
    for (int i = 0; i < batch.count; ++i) queue_message(state.owner, batch.records[i]);
}

// One turn of the loop of an open window: an event if one waits, else the
// periodic copy when it is due, else a wait until an event or the copy is due.
void pump_once(State& state) {
    SDL_Event event;
    if (SDL_PollEvent(&event)) {
        handle_event(state, event);
        return;
    }
    const Uint32 since_copy = SDL_GetTicks() - state.last_copy;
    if (since_copy >= copy_interval_ms) {
        copy_to_screen(state);
        return;
    }
    if (SDL_WaitEventTimeout(&event, static_cast<int>(copy_interval_ms - since_copy))) handle_event(state, event);
}

// Runs a pending request; false once the thread is asked to stop.
bool serve_task(State& state) {
    std::unique_lock lock(state.task_mutex);
    if (state.task && !state.task_done) {
        const std::function<void()>* work = state.task;
        lock.unlock();
        (*work)();
        lock.lock();
        state.task_done = true;
        state.task_changed.notify_all();
    }
    return !state.stopping;
}

// With no window there are no events: sleep until a request or an end signal.
void wait_for_task(State& state) {
    SDL_FlushEvent(state.wake_event);
    platform::wait_for_wake();
}

void thread_main(State& state) {
    start_video(state);
    while (serve_task(state)) {
        if (platform::end_requested()) end_process();
        if (state.window) {
            pump_once(state);
        } else {
            wait_for_task(state);
        }
    }
    stop_video(state);
}

// Wakes the thread whether it waits for events of its window or has none.
void wake_thread(State& state) {
    platform::wake();
    const Uint32 type = state.wake_event.load();
    if (type == 0 || type == static_cast<Uint32>(-1)) return;
    SDL_Event event{};
    event.type = type;
    SDL_PushEvent(&event);
}

}  // namespace

WindowThread::WindowThread(GraphWnd& owner) : state_(std::make_unique<State>(owner)) {
    state_->thread = std::thread(thread_main, std::ref(*state_));
    run([] {});
}

// The wake event is pushed while task_mutex is held: the thread sees the
// request only afterwards, so it cannot shut SDL down under the push.
WindowThread::~WindowThread() {
    {
        std::lock_guard lock(state_->task_mutex);
        state_->stopping = true;
        wake_thread(*state_);
    }
    state_->thread.join();
}

void WindowThread::run(const std::function<void()>& work) {
    State& state = *state_;
    std::lock_guard one_at_a_time(state.request_mutex);
    std::unique_lock lock(state.task_mutex);
    state.task = &work;
    state.task_done = false;
    wake_thread(state);
    state.task_changed.wait(lock, [&] { return state.task_done; });
    state.task = nullptr;
}

WindowHandle WindowThread::open_window(const WindowSettings& settings) {
    WindowHandle handle = 0;
    run([&] {
        State& state = *state_;
        state.close_control = settings.close_control;
        state.input = InputState{};
        state.input.double_clicks = settings.double_clicks;
        state.input.modifiers = static_cast<std::uint16_t>(SDL_GetModState());
        SDL_Window* window = SDL_CreateWindow(settings.title.c_str(), SDL_WINDOWPOS_UNDEFINED,
                                              SDL_WINDOWPOS_UNDEFINED, settings.width, settings.height,
                                              SDL_WINDOW_HIDDEN);
        if (!window) {
            std::fprintf(stderr, "drawing: no window: %s\n", SDL_GetError());
            return;
        }
        handle = prepare_platform_window(window, settings.close_control, settings.minimize_control);
        SDL_ShowWindow(window);
        state.window = window;
        state.last_copy = SDL_GetTicks() - copy_interval_ms;
    });
    return handle;
}

void WindowThread::close_window() {
    run([&] { destroy_window(*state_); });
}

void WindowThread::set_client_size(int width, int height) {
    run([&] {
        if (!state_->window) return;
        SDL_SetWindowSize(state_->window, width, height);
        copy_to_screen(*state_);
    });
}

void WindowThread::copy_now() {
    run([&] {
        if (state_->window) copy_to_screen(*state_);
    });
}

std::string WindowThread::driver_name() {
    std::string name;
    run([&] { name = state_->driver; });
    return name;
}

std::uint64_t WindowThread::copy_count() const {
    return state_->copies.load();
}
