#include "platform/sdl/sdl_window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "ui/skin_drawing.h"
#include "ui/ui.h"

namespace tonforge {
namespace {

std::optional<WindowEvent> Translate(const SDL_Event& e) {
  WindowEvent out;
  switch (e.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT) return std::nullopt;
      out.kind = e.type == SDL_MOUSEBUTTONDOWN ? WindowEventKind::ButtonDown : WindowEventKind::ButtonUp;
      out.button = e.button.button == SDL_BUTTON_LEFT ? MouseButton::Left : MouseButton::Right;
      out.x = e.button.x;
      out.y = e.button.y;
      out.clicks = e.button.clicks;
      out.shift = (SDL_GetModState() & KMOD_SHIFT) != 0;
      return out;
    case SDL_MOUSEMOTION:
      out.kind = WindowEventKind::MouseMove;
      out.x = e.motion.x;
      out.y = e.motion.y;
      out.shift = (SDL_GetModState() & KMOD_SHIFT) != 0;
      return out;
    case SDL_MOUSEWHEEL: {
      out.kind = WindowEventKind::Wheel;
      const int flip = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
      out.shift = (SDL_GetModState() & KMOD_SHIFT) != 0;
      // A sideways wheel turns like Shift and the upright wheel: right is later, as wheel-down with Shift.
      out.notches = e.wheel.y != 0 ? e.wheel.y * flip : -e.wheel.x * flip;
      if (e.wheel.y == 0 && e.wheel.x != 0) out.shift = true;
      SDL_GetMouseState(&out.x, &out.y);
      if (out.notches == 0) return std::nullopt;
      return out;
    }
    case SDL_QUIT:
      out.kind = WindowEventKind::Quit;
      return out;
    case SDL_DROPTEXT:
      SDL_free(e.drop.file);
      return std::nullopt;
    case SDL_DROPFILE: {
      if (e.drop.file == nullptr) return std::nullopt;
      out.kind = WindowEventKind::DropFile;
      out.path = e.drop.file;
      SDL_free(e.drop.file);
      out.shift = (SDL_GetModState() & KMOD_SHIFT) != 0;
      // The pointer is held by the program dragging the file, so the window saw no motion: ask where it is.
      int x = 0, y = 0, left = 0, top = 0;
      SDL_GetGlobalMouseState(&x, &y);
      if (SDL_Window* w = SDL_GetWindowFromID(e.drop.windowID)) SDL_GetWindowPosition(w, &left, &top);
      out.x = x - left;
      out.y = y - top;
      return out;
    }
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          out.kind = WindowEventKind::Repaint;
          return out;
        default:
          return std::nullopt;
      }
    default:
      return std::nullopt;  // keys are read as states, not as events
  }
}

// The part of `r` inside a width x height area (empty when none is).
SDL_Rect Clip(const WindowRect& r, int width, int height) {
  const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
  const int x1 = std::min(r.x + r.width, width), y1 = std::min(r.y + r.height, height);
  return {x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0)};
}

}  // namespace

std::unique_ptr<SdlWindow> SdlWindow::Open(std::string& reason, int scale, int rememberedWidth,
                                           int rememberedHeight) {
  // A click on the window while another has the focus should act at once, as on other desktops.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // An ordinary desktop window: the screen saver is the user's business.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // Only a real desktop will do: left to itself SDL falls back to an invisible off-screen window. An
  // SDL_VIDEODRIVER set in the environment still wins (the tests use the dummy driver).
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,wayland");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    reason = SDL_GetError();
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
      reason += " (DISPLAY is not set)";
    return nullptr;
  }
  std::unique_ptr<SdlWindow> w(new SdlWindow());
  SDL_Rect area{};
  if (SDL_GetDisplayUsableBounds(0, &area) != 0) {
    reason = SDL_GetError();
    return nullptr;
  }
  w->forcedScale_ = scale;
  const Placement fits = PlaceInterface(area.w, area.h, kInterfaceWidth, kInterfaceHeight, scale);
  const bool remembered = rememberedWidth > 0 && rememberedHeight > 0;
  const int width = remembered ? rememberedWidth : kInterfaceWidth * fits.scale;
  const int height = remembered ? rememberedHeight : kInterfaceHeight * fits.scale;
  w->window_ = SDL_CreateWindow("Tonforge", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN);
  if (w->window_ == nullptr) {
    reason = SDL_GetError();
    return nullptr;
  }
  SDL_SetWindowMinimumSize(w->window_, kInterfaceWidth / 2, kInterfaceHeight / 2);
  // The emblem of the splash, the colour key made transparent.
  constexpr int kIconSize = 64;
  Pixels icon = DrawIcon(kIconSize);
  for (uint32_t& p : icon.data) p = p == kColourKey ? 0 : (p | 0xFF000000u);
  if (SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(icon.data.data(), icon.width, icon.height, 32,
                                                          icon.width * 4, SDL_PIXELFORMAT_ARGB8888)) {
    SDL_SetWindowIcon(w->window_, s);
    SDL_FreeSurface(s);
  }
  w->area_ = {0, 0, width, height};
  w->placement_ = fits;
  return w;
}

WindowSettings SdlWindow::Settings() const {
  WindowSettings s;
  SDL_GetWindowSize(window_, &s.width, &s.height);
  s.scale = forcedScale_;
  return s;
}

SdlWindow::~SdlWindow() {
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlWindow::Present(const uint32_t* pixels, int width, int height, std::span<const WindowRect> changed) {
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (surface == nullptr || pixels == nullptr) return false;
  const Placement placement = PlaceInterface(surface->w, surface->h, width, height, forcedScale_);
  bool all = false;
  if (surface->w != scaledWidth_ || surface->h != scaledHeight_ || placement.scale != placement_.scale ||
      placement.origin.x != placement_.origin.x || placement.origin.y != placement_.origin.y) {
    // A new size: the border round the picture is the desktop's colour, and all of the picture is shown again.
    scaledWidth_ = surface->w;
    scaledHeight_ = surface->h;
    placement_ = placement;
    scaled_.assign(static_cast<size_t>(scaledWidth_) * static_cast<size_t>(scaledHeight_), kDesktopColour);
    CopyScaled(pixels, width, height, {0, 0, width, height}, placement_, scaled_.data(), scaledWidth_, scaledHeight_);
    all = true;
  }
  std::vector<SDL_Rect> rects;
  rects.reserve(changed.size() + 1);
  if (all) rects.push_back({0, 0, scaledWidth_, scaledHeight_});
  for (const WindowRect& r : all ? std::span<const WindowRect>() : changed) {
    const SDL_Rect c = Clip(r, width, height);
    if (c.w <= 0 || c.h <= 0) continue;
    const Rect d = CopyScaled(pixels, width, height, {c.x, c.y, c.x + c.w, c.y + c.h}, placement_, scaled_.data(),
                              scaledWidth_, scaledHeight_);
    if (!d.Empty()) rects.push_back({d.left, d.top, d.Width(), d.Height()});
  }
  if (rects.empty()) return true;
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
  const int sourcePitch = scaledWidth_ * 4;
  const int bytesPerPixel = surface->format->BytesPerPixel;
  for (const SDL_Rect& c : rects) {
    const uint32_t* from =
        scaled_.data() + static_cast<size_t>(c.y) * static_cast<size_t>(scaledWidth_) + static_cast<size_t>(c.x);
    auto* to = static_cast<uint8_t*>(surface->pixels) + c.y * surface->pitch + c.x * bytesPerPixel;
    SDL_ConvertPixels(c.w, c.h, SDL_PIXELFORMAT_ARGB8888, from, sourcePitch, surface->format->format, to,
                      surface->pitch);
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  return SDL_UpdateWindowSurfaceRects(window_, rects.data(), static_cast<int>(rects.size())) == 0;
}

void SdlWindow::SetTitle(const std::string& title) { SDL_SetWindowTitle(window_, title.c_str()); }

bool SdlWindow::PresentAll(const uint32_t* pixels, int width, int height) {
  const WindowRect whole{0, 0, width, height};
  return Present(pixels, width, height, std::span<const WindowRect>(&whole, 1));
}

void SdlWindow::MapPointer(WindowEvent& event) const {
  if (event.kind != WindowEventKind::ButtonDown && event.kind != WindowEventKind::ButtonUp &&
      event.kind != WindowEventKind::MouseMove && event.kind != WindowEventKind::Wheel &&
      event.kind != WindowEventKind::DropFile)
    return;
  const Point at = ToInterface(placement_, {event.x, event.y});
  event.x = at.x;
  event.y = at.y;
}

bool SdlWindow::PollEvent(WindowEvent& event) {
  SDL_Event e;
  while (SDL_PollEvent(&e) != 0) {
    if (std::optional<WindowEvent> t = Translate(e)) {
      event = *t;
      MapPointer(event);
      return true;
    }
  }
  return false;
}

bool SdlWindow::WaitForEvent(int milliseconds, WindowEvent& event) {
  const Uint64 deadline = SDL_GetTicks64() + static_cast<Uint64>(std::max(milliseconds, 0));
  while (true) {
    if (PollEvent(event)) return true;
    const Uint64 now = SDL_GetTicks64();
    if (now >= deadline) return false;
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, static_cast<int>(deadline - now)) == 0) return false;
    if (std::optional<WindowEvent> t = Translate(e)) {
      event = *t;
      MapPointer(event);
      return true;
    }
  }
}

std::vector<uint32_t> SdlWindow::Snapshot() {
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (surface == nullptr) return {};
  std::vector<uint32_t> pixels(static_cast<size_t>(surface->w) * static_cast<size_t>(surface->h));
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return {};
  SDL_ConvertPixels(surface->w, surface->h, surface->format->format, surface->pixels, surface->pitch,
                    SDL_PIXELFORMAT_ARGB8888, pixels.data(), surface->w * 4);
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  return pixels;
}

}  // namespace tonforge
