#include "badge/badge_platform_win32.h"

#include <windows.h>
#include <shellscalingapi.h>

#include <cstring>

#include "platform/win32_types_win32.h"

namespace tessel {

namespace {

int g_liveGdiObjects = 0;

// Owners of the GDI objects of one redraw; each releases exactly what it made.
class ScreenDc {
public:
    ScreenDc() : dc_(::GetDC(nullptr)) {
        if (dc_) ++g_liveGdiObjects;
    }
    ~ScreenDc() {
        if (dc_) {
            ::ReleaseDC(nullptr, dc_);
            --g_liveGdiObjects;
        }
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

class MemoryDc {
public:
    explicit MemoryDc(HDC compatible) : dc_(compatible ? ::CreateCompatibleDC(compatible) : nullptr) {
        if (dc_) ++g_liveGdiObjects;
    }
    ~MemoryDc() {
        if (dc_) {
            ::DeleteDC(dc_);
            --g_liveGdiObjects;
        }
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A bitmap or font this program created (never a stock object).
class OwnedGdiObject {
public:
    explicit OwnedGdiObject(HGDIOBJ object = nullptr) : object_(object) {
        if (object_) ++g_liveGdiObjects;
    }
    ~OwnedGdiObject() {
        if (object_) {
            ::DeleteObject(object_);
            --g_liveGdiObjects;
        }
    }
    OwnedGdiObject(const OwnedGdiObject&) = delete;
    OwnedGdiObject& operator=(const OwnedGdiObject&) = delete;
    HGDIOBJ get() const { return object_; }

private:
    HGDIOBJ object_;
};

// Selects an object into a DC and puts the previous one back on destruction.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? ::SelectObject(dc, object) : nullptr) {
        if (previous_ == HGDI_ERROR) previous_ = nullptr;
    }
    ~Selection() {
        if (previous_) ::SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

class Win32Canvas final : public BadgeCanvas {
public:
    explicit Win32Canvas(std::int32_t side) : side_(side), memory_(screen_.get()) {
        if (!memory_.get() || side <= 0) return;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = side;
        info.bmiHeader.biHeight = -side;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = ::CreateDIBSection(screen_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bitmap_ = std::make_unique<OwnedGdiObject>(bitmap);
        if (!bitmap || !bits) return;
        selection_ = std::make_unique<Selection>(memory_.get(), bitmap);
        pixels_ = static_cast<std::uint32_t*>(bits);
        std::memset(pixels_, 0, static_cast<std::size_t>(side) * static_cast<std::size_t>(side) * 4);
    }

    ~Win32Canvas() override {
        // Reverse order of creation: previous bitmap back, bitmap, memory DC, screen DC.
        selection_.reset();
        bitmap_.reset();
    }

    bool Valid() const { return pixels_ != nullptr; }

    std::uint32_t* Pixels() override { return pixels_; }

    void DrawGlyph(char16_t glyph, std::int32_t fontHeight) override {
        HDC dc = memory_.get();
        ::SetBkMode(dc, OPAQUE);
        ::SetBkColor(dc, RGB(0, 0, 0));
        ::SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
        OwnedGdiObject font(::CreateFontW(-fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH,
                                          L"Segoe UI"));
        HGDIOBJ chosen = font.get() ? font.get() : ::GetStockObject(DEFAULT_GUI_FONT);
        {
            Selection selected(dc, chosen);  // no font at all: the DC's own
            wchar_t text[1] = {static_cast<wchar_t>(glyph)};
            RECT rect{0, 0, side_, side_};
            ::DrawTextW(dc, text, 1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        // GDI may batch drawing; the pixels are read directly next.
        ::GdiFlush();
    }

    bool Present(WindowId window, Point position) override {
        POINT destination{position.x, position.y};
        SIZE size{side_, side_};
        POINT source{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        return ::UpdateLayeredWindow(ToHwnd(window), screen_.get(), &destination, &size, memory_.get(), &source, 0,
                                     &blend, ULW_ALPHA) != FALSE;
    }

private:
    std::int32_t side_;
    ScreenDc screen_;
    MemoryDc memory_;
    std::unique_ptr<OwnedGdiObject> bitmap_;
    std::unique_ptr<Selection> selection_;
    std::uint32_t* pixels_ = nullptr;
};

}  // namespace

int LiveBadgeGdiObjects() { return g_liveGdiObjects; }

MonitorId Win32BadgePlatform::MonitorFromPoint(Point p) {
    return reinterpret_cast<MonitorId>(::MonitorFromPoint(POINT{p.x, p.y}, MONITOR_DEFAULTTONEAREST));
}

std::optional<std::uint32_t> Win32BadgePlatform::EffectiveDpi(MonitorId monitor) {
    UINT x = 0;
    UINT y = 0;
    if (FAILED(::GetDpiForMonitor(reinterpret_cast<HMONITOR>(monitor), MDT_EFFECTIVE_DPI, &x, &y))) {
        return std::nullopt;
    }
    return x;
}

WindowId Win32BadgePlatform::ForegroundWindow() { return ToWindowId(::GetForegroundWindow()); }

std::uint32_t Win32BadgePlatform::DpiForWindow(WindowId window) {
    return window ? ::GetDpiForWindow(ToHwnd(window)) : 0;
}

void Win32BadgePlatform::ClassName64(WindowId window, ClassNameBuffer& out) {
    const int n = window ? ::GetClassNameW(ToHwnd(window), reinterpret_cast<wchar_t*>(out.units.data()), 64) : 0;
    out.size = n > 0 ? static_cast<std::size_t>(n) : 0;
}

VirtualScreenMetrics Win32BadgePlatform::VirtualScreen() {
    return VirtualScreenMetrics{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                                ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

bool Win32BadgePlatform::KeyToggled(int virtualKey) { return (::GetKeyState(virtualKey) & 1) != 0; }

void Win32BadgePlatform::MoveTopmost(WindowId window, Point position) {
    ::SetWindowPos(ToHwnd(window), HWND_TOPMOST, position.x, position.y, 0, 0,
                   SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void Win32BadgePlatform::Hide(WindowId window) { ::ShowWindow(ToHwnd(window), SW_HIDE); }

void Win32BadgePlatform::ShowNoActivate(WindowId window) { ::ShowWindow(ToHwnd(window), SW_SHOWNOACTIVATE); }

std::unique_ptr<BadgeCanvas> Win32BadgePlatform::CreateCanvas(std::int32_t side) {
    auto canvas = std::make_unique<Win32Canvas>(side);
    if (!canvas->Valid()) return nullptr;
    return canvas;
}

}  // namespace tessel
