#include "robot.h"

#include "environment.h"
#include "png.h"

#include <algorithm>

namespace robot {

Child Start(const std::string& commandLine, const std::vector<std::string>& environment)
{
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    std::vector<char> block = support::EnvironmentBlock(environment);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    Child child;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0,
                       environment.empty() ? nullptr : block.data(), nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        child.process = info.hProcess;
        child.id = info.dwProcessId;
    }
    return child;
}

DWORD WaitExit(const Child& child, DWORD timeoutMs)
{
    if (!child.process || WaitForSingleObject(child.process, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(child.process, &code);
    return code;
}

void Settle(const Child& child, DWORD extraMs)
{
    if (child.process)
        WaitForInputIdle(child.process, 5000);
    Sleep(extraMs);
}

void Finish(Child& child)
{
    if (!child.process)
        return;
    if (WaitForSingleObject(child.process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(child.process, 99);
        WaitForSingleObject(child.process, 5000);
    }
    CloseHandle(child.process);
    child.process = nullptr;
}

namespace {

struct Search {
    const char* className;
    const char* caption;
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM parameter)
{
    Search* search = reinterpret_cast<Search*>(parameter);
    if (!IsWindowVisible(window))
        return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId && owner != search->processId)
        return TRUE;
    if (search->className && ClassName(window) != search->className)
        return TRUE;
    if (search->caption && Text(window) != search->caption)
        return TRUE;
    search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

} // namespace

HWND FindTopWindow(const char* className, const char* caption, DWORD processId)
{
    Search search = {className, caption, processId, {}};
    EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found.empty() ? nullptr : search.found.front();
}

std::vector<HWND> TopWindows(DWORD processId)
{
    Search search = {nullptr, nullptr, processId, {}};
    EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(const char* className, const char* caption, DWORD timeoutMs, DWORD processId)
{
    HWND window = nullptr;
    WaitFor([&] { return (window = FindTopWindow(className, caption, processId)) != nullptr; },
            timeoutMs);
    return window;
}

HWND WaitForDialog(const char* caption, DWORD timeoutMs, DWORD processId)
{
    return WaitForWindow("#32770", caption, timeoutMs, processId);
}

bool WaitUntilGone(HWND window, DWORD timeoutMs)
{
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

std::string Text(HWND window)
{
    char text[4096];
    DWORD_PTR length = 0;
    // Another process's window answers WM_GETTEXT through its own thread.
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 2000, &length))
        return std::string();
    return std::string(text, length < sizeof text ? length : sizeof text - 1);
}

std::string ClassName(HWND window)
{
    char name[256];
    int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

std::string ItemText(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    return item ? Text(item) : std::string();
}

bool IsChecked(HWND dialog, int id)
{
    DWORD_PTR state = 0;
    HWND item = GetDlgItem(dialog, id);
    return item && SendMessageTimeoutA(item, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state) &&
           state == BST_CHECKED;
}

std::vector<std::string> StaticTexts(HWND dialog)
{
    std::vector<std::string> texts;
    for (HWND child : Children(dialog)) {
        if (_stricmp(ClassName(child).c_str(), "Static") != 0)
            continue;
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON)
            continue;
        std::string text = Text(child);
        if (!text.empty())
            texts.push_back(text);
    }
    return texts;
}

// Whether text fits a control of the style in a client area of width x
// height, with room for a check box's box and a button's edges.
static bool TextFits(HDC dc, const std::string& text, const std::string& kind, LONG style,
                     int width, int height)
{
    RECT need = {0, 0, width, 0};
    if (kind == "static") {
        UINT wrap = (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP ? 0 : DT_WORDBREAK;
        DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | wrap | DT_EXPANDTABS);
        return need.right <= width && need.bottom <= height;
    }
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    RECT line = {0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), -1, &line, DT_CALCRECT | DT_SINGLELINE);
    LONG type = style & BS_TYPEMASK;
    int room = width;
    if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
        type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE)
        room -= GetSystemMetrics(SM_CXMENUCHECK) + metrics.tmAveCharWidth / 2;
    else if (type == BS_GROUPBOX)
        room -= 2 * metrics.tmAveCharWidth;
    else
        room -= 2 * GetSystemMetrics(SM_CXEDGE);
    if (style & BS_MULTILINE) {
        RECT wrapped = {0, 0, room, 0};
        DrawTextA(dc, text.c_str(), -1, &wrapped, DT_CALCRECT | DT_WORDBREAK);
        return wrapped.right <= room && wrapped.bottom <= height;
    }
    return line.right <= room && (type == BS_GROUPBOX || line.bottom <= height);
}

std::vector<std::string> TextsThatDoNotFit(HWND dialog, const char* face, int points)
{
    std::vector<std::string> clipped;
    HDC dc = GetDC(dialog);
    LOGFONTA font = {};
    font.lfHeight = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    HFONT made = CreateFontIndirectA(&font);
    HGDIOBJ old = SelectObject(dc, made);
    for (HWND child : Children(dialog)) {
        if (!IsWindowVisible(child))
            continue;
        std::string kind = ClassName(child);
        for (char& c : kind)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (kind == "static") {
            LONG type = style & SS_TYPEMASK;
            if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP)
                continue;
        } else if (kind != "button" || (style & (BS_BITMAP | BS_ICON)) ||
                   (style & BS_TYPEMASK) == BS_OWNERDRAW) {
            continue;
        }
        std::string text = Text(child);
        if (text.empty())
            continue;
        RECT area;
        GetClientRect(child, &area);
        if (!TextFits(dc, text, kind, style, area.right, area.bottom))
            clipped.push_back(std::to_string(GetDlgCtrlID(child)) + ": " + text);
    }
    SelectObject(dc, old);
    DeleteObject(made);
    ReleaseDC(dialog, dc);
    return clipped;
}

bool Press(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    return item && PostMessageA(item, BM_CLICK, 0, 0);
}

bool SysCommand(HWND window, WPARAM command)
{
    return PostMessageA(window, WM_SYSCOMMAND, command, 0);
}

MessageBoxView ReadMessageBox(HWND box)
{
    MessageBoxView view;
    view.window = box;
    view.caption = Text(box);
    // Windows gives the message text the id 0xFFFF; Wine's template uses 100.
    for (int id : {0xFFFF, 100}) {
        view.text = ItemText(box, id);
        if (!view.text.empty())
            break;
    }
    if (view.text.empty()) {
        std::vector<std::string> texts = StaticTexts(box);
        if (!texts.empty())
            view.text = texts.front();
    }
    for (HWND child : Children(box)) {
        if (_stricmp(ClassName(child).c_str(), "Button") == 0)
            view.buttons.push_back(GetDlgCtrlID(child));
    }
    return view;
}

MessageBoxView WaitForMessageBox(const char* caption, DWORD timeoutMs, DWORD processId)
{
    HWND box = WaitForDialog(caption, timeoutMs, processId);
    if (!box)
        return MessageBoxView();
    // The text is set while the box initialises: wait until it is there.
    MessageBoxView view;
    WaitFor([&] { return !(view = ReadMessageBox(box)).text.empty(); }, 2000);
    return view;
}

void BringToFront(HWND window)
{
    SetForegroundWindow(window);
    WaitFor([&] { return GetForegroundWindow() == window; }, 1000);
}

static void PressKeys(const std::vector<WORD>& keys, bool up)
{
    for (WORD key : keys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        SendInput(1, &input, sizeof input);
    }
}

void SendKey(HWND window, WORD virtualKey)
{
    BringToFront(window);
    PressKeys({virtualKey}, false);
    PressKeys({virtualKey}, true);
}

void Click(HWND window, POINT client, const std::vector<WORD>& modifiers, bool right)
{
    HWND top = GetAncestor(window, GA_ROOT);
    BringToFront(top);
    POINT screen = client;
    ClientToScreen(window, &screen);
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    // Every event carries the absolute position: a separate move may reach
    // the window after the button under load.
    INPUT events[3] = {};
    for (INPUT& event : events) {
        event.type = INPUT_MOUSE;
        event.mi.dx = MulDiv(screen.x, 65535, width - 1);
        event.mi.dy = MulDiv(screen.y, 65535, height - 1);
        event.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    }
    SendInput(1, &events[0], sizeof events[0]);
    WaitFor([&] {
        POINT cursor;
        return GetCursorPos(&cursor) && cursor.x == screen.x && cursor.y == screen.y;
    }, 1000);
    PressKeys(modifiers, false);
    events[1].mi.dwFlags |= right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    events[2].mi.dwFlags |= right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(2, &events[1], sizeof events[0]);
    PressKeys(modifiers, true);
}

bool MoveMouse(POINT screen, DWORD timeoutMs)
{
    // Absolute positions over every monitor (the virtual screen, which is
    // the primary screen where there is one monitor).
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    INPUT event = {};
    event.type = INPUT_MOUSE;
    // The system takes pixel dx * width / 65536, rounded down: the smallest
    // dx that reaches the pixel.
    auto scaled = [](int pixel, int size) {
        long long value = (static_cast<long long>(pixel) * 65536 + size - 1) / (size > 0 ? size : 1);
        return static_cast<LONG>(value < 0 ? 0 : value > 65535 ? 65535 : value);
    };
    event.mi.dx = scaled(screen.x - left, width);
    event.mi.dy = scaled(screen.y - top, height);
    event.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    SendInput(1, &event, sizeof event);
    return WaitFor([&] {
        POINT cursor;
        return GetCursorPos(&cursor) && cursor.x == screen.x && cursor.y == screen.y;
    }, timeoutMs);
}

bool ChooseMenuItem(int index, DWORD timeoutMs)
{
    HWND menu = WaitForWindow("#32768", nullptr, timeoutMs);
    if (!menu)
        return false;
    // The menu's window shows before its tracking loop reads the keyboard; a
    // key pressed in between is lost on a loaded machine.
    WaitFor([&] { return IsWindowVisible(menu) != FALSE; }, timeoutMs);
    Sleep(300);
    // The first Down selects the first item.
    for (int i = 0; i <= index; ++i) {
        PressKeys({VK_DOWN}, false);
        PressKeys({VK_DOWN}, true);
        Sleep(100); // one key at a time: the loop reads them one by one
    }
    PressKeys({VK_RETURN}, false);
    PressKeys({VK_RETURN}, true);
    return WaitUntilGone(menu, timeoutMs);
}

COLORREF ScreenPixel(int x, int y)
{
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// Copies a rectangle of dc into top-down RGB bytes.
static bool CaptureRgb(HDC dc, int x, int y, int width, int height, std::vector<std::uint8_t>& rgb)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return false;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    bool ok = BitBlt(memory, 0, 0, width, height, dc, x, y, SRCCOPY) != FALSE;
    GdiFlush();
    rgb.resize(static_cast<std::size_t>(width) * height * 3);
    const std::uint8_t* bgra = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
        rgb[i * 3 + 0] = bgra[i * 4 + 2];
        rgb[i * 3 + 1] = bgra[i * 4 + 1];
        rgb[i * 3 + 2] = bgra[i * 4 + 0];
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return ok;
}

std::vector<unsigned char> ScreenRgb(int x, int y, int width, int height)
{
    std::vector<std::uint8_t> rgb;
    HDC screen = GetDC(nullptr);
    bool ok = width > 0 && height > 0 && CaptureRgb(screen, x, y, width, height, rgb);
    ReleaseDC(nullptr, screen);
    if (!ok)
        rgb.clear();
    return std::vector<unsigned char>(rgb.begin(), rgb.end());
}

// The screen's pixels under a window's client area, as RGB bytes.
static std::vector<std::uint8_t> ClientPixels(HWND window)
{
    RECT area;
    GetClientRect(window, &area);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    std::vector<std::uint8_t> rgb;
    HDC screen = GetDC(nullptr);
    CaptureRgb(screen, area.left, area.top, area.right - area.left, area.bottom - area.top, rgb);
    ReleaseDC(nullptr, screen);
    return rgb;
}

bool ShowsMovingPicture(HWND window, DWORD timeoutMs)
{
    return WaitFor([&] {
        std::vector<std::uint8_t> first = ClientPixels(window);
        Sleep(300);
        std::vector<std::uint8_t> second = ClientPixels(window);
        if (first.empty() || first.size() != second.size())
            return false;
        std::size_t black = 0, lit = 0, changed = 0;
        for (std::size_t i = 0; i + 2 < first.size(); i += 3) {
            bool dark = first[i] == 0 && first[i + 1] == 0 && first[i + 2] == 0;
            black += dark;
            lit += !dark;
            changed += first[i] != second[i] || first[i + 1] != second[i + 1] ||
                       first[i + 2] != second[i + 2];
        }
        return black > 0 && lit > 0 && changed >= 10;
    }, timeoutMs);
}

std::string MessageBoxIcon(HWND box)
{
    HWND icon = nullptr;
    for (HWND child : Children(box)) {
        if (_stricmp(ClassName(child).c_str(), "Static") == 0 &&
            (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            icon = child;
    }
    DWORD_PTR handle = 0;
    if (!icon || !IsWindowVisible(icon) ||
        !SendMessageTimeoutA(icon, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &handle) || !handle)
        return "none";
    RECT rect;
    GetWindowRect(icon, &rect);
    HDC screen = GetDC(nullptr);
    std::vector<std::uint8_t> rgb;
    bool ok = CaptureRgb(screen, rect.left, rect.top, rect.right - rect.left,
                         rect.bottom - rect.top, rgb);
    ReleaseDC(nullptr, screen);
    if (!ok)
        return "unknown";
    int red = 0, blue = 0, yellow = 0;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        int r = rgb[i], g = rgb[i + 1], b = rgb[i + 2];
        red += r > 150 && g < 100 && b < 100;
        blue += b > 150 && r < 100;
        yellow += r > 180 && g > 150 && b < 100;
    }
    int most = std::max(red, std::max(blue, yellow));
    if (most < 10)
        return "unknown";
    return most == red ? "red" : most == blue ? "blue" : "yellow";
}

bool Screenshot(const std::string& pngPath)
{
    // Every monitor: the virtual screen (the primary one where it is alone).
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    HDC screen = GetDC(nullptr);
    std::vector<std::uint8_t> rgb;
    bool ok = CaptureRgb(screen, left, top, width, height, rgb);
    ReleaseDC(nullptr, screen);
    return ok && WritePng(pngPath, width, height, rgb);
}

bool WindowShot(HWND window, const std::string& pngPath)
{
    RECT rect;
    if (!GetClientRect(window, &rect))
        return false;
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    std::vector<std::uint8_t> rgb;
    bool ok = CaptureRgb(screen, origin.x, origin.y, rect.right, rect.bottom, rgb);
    ReleaseDC(nullptr, screen);
    return ok && WritePng(pngPath, rect.right, rect.bottom, rgb);
}

int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

std::string Lines(const std::vector<std::string>& texts)
{
    std::string all;
    for (const std::string& text : texts)
        all += "\n  " + text;
    return all;
}

} // namespace robot
