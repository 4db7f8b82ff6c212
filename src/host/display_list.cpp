#include "host/display_list.h"

#include <SDL.h>

bool ListDisplayModes(std::vector<TDisplayModeInfo>& modes) {
    modes.clear();
    // Qt owns the process's signals; SDL must not take SIGINT and SIGTERM from it.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    const int displays = SDL_GetNumVideoDisplays();
    for (int display = 0; display < displays; ++display) {
        const int count = SDL_GetNumDisplayModes(display);
        for (int i = 0; i < count; ++i) {
            SDL_DisplayMode mode{};
            if (SDL_GetDisplayMode(display, i, &mode) != 0) continue;
            modes.push_back({mode.w, mode.h, int32_t(SDL_BITSPERPIXEL(mode.format))});
        }
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return true;
}
