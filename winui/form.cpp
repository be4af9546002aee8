#include "winui/form.hpp"

#include <commctrl.h>

#include <algorithm>

#include "winui/resources.h"

namespace ferrowick::winui {

namespace {

constexpr wchar_t kClassName[] = L"FerrowickWizardWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME;

std::vector<Form*>& Registry() {
    static std::vector<Form*> forms;
    return forms;
}

void RegisterClassOnce() {
    static bool done = false;
    if (done) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpszClassName = kClassName;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(IDI_FERROWICK));
    wc.hIconSm = static_cast<HICON>(LoadImageW(wc.hInstance, MAKEINTRESOURCEW(IDI_FERROWICK), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.lpfnWndProc = DefWindowProcW;
    RegisterClassExW(&wc);
    done = true;
}

bool Contains(const TwipsRect& outer, int x, int y) {
    return x >= outer.left && y >= outer.top && x < outer.left + outer.width && y < outer.top + outer.height;
}

}  // namespace

Form::Form(std::wstring caption, int clientWidthTwips, int clientHeightTwips)
    : caption_(std::move(caption)), clientWidth_(clientWidthTwips), clientHeight_(clientHeightTwips) {
    Registry().push_back(this);
}

Form::~Form() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    for (auto& [name, font] : fonts_) DeleteObject(font);
    for (auto& [colour, brush] : brushes_) DeleteObject(brush);
    auto& forms = Registry();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

const std::vector<Form*>& Form::All() { return Registry(); }

bool Form::RouteDialogKeys(MSG& msg) {
    if (!msg.hwnd) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    for (Form* form : Registry())
        if (form->hwnd_ && form->hwnd_ == root) return IsDialogMessageW(root, &msg);
    return false;
}

void Form::Create(HWND owner) {
    if (hwnd_) return;
    RegisterClassOnce();
    hwnd_ = CreateWindowExW(kWindowExStyle, kClassName, caption_.c_str(), kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                            100, 100, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure));
    dpi_ = static_cast<int>(GetDpiForWindow(hwnd_));
    if (dpi_ <= 0) dpi_ = 96;
    tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, hwnd_,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    Build();
    SizeToClient();
}

void Form::SizeToClient() {
    RECT frame{0, 0, Px(clientWidth_), Px(clientHeight_)};
    AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, kWindowExStyle, static_cast<UINT>(dpi_));
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::ShowOwnedBy(HWND owner) {
    Create(owner);
    SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    if (!IsWindowVisible(hwnd_)) {
        RECT area{};
        if (owner && IsWindowVisible(owner)) {
            GetWindowRect(owner, &area);
        } else {
            MONITORINFO info{};
            info.cbSize = sizeof(info);
            GetMonitorInfoW(MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTOPRIMARY), &info);
            area = info.rcWork;
        }
        RECT own{};
        GetWindowRect(hwnd_, &own);
        const int width = own.right - own.left, height = own.bottom - own.top;
        const int x = area.left + ((area.right - area.left) - width) / 2;
        const int y = area.top + ((area.bottom - area.top) - height) / 2;
        SetWindowPos(hwnd_, nullptr, std::max(0, x), std::max(0, y), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    UpdateWindow(hwnd_);
}

void Form::Hide() {
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void Form::RequestClose() {
    if (hwnd_) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

std::wstring Form::Text(int id) const {
    HWND control = Item(id);
    if (!control) return {};
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Form::SetText(int id, const std::wstring& text) {
    if (HWND control = Item(id)) SetWindowTextW(control, text.c_str());
}

void Form::SetEnabled(int id, bool enabled) {
    if (HWND control = Item(id)) EnableWindow(control, enabled);
}

void Form::SetShown(int id, bool shown) {
    if (HWND control = Item(id)) ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
}

void Form::SetFont(int id, const FontSpec& font) {
    for (Placed& placed : placed_)
        if (placed.id == id) placed.font = font;
    if (HWND control = Item(id)) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(Font(font)), TRUE);
}

HFONT Form::Font(const FontSpec& spec) {
    const std::wstring key = std::wstring(spec.face) + L"/" + std::to_wstring(spec.points) + (spec.bold ? L"b" : L"") +
                             L"@" + std::to_wstring(dpi_);
    auto found = fonts_.find(key);
    if (found != fonts_.end()) return found->second;
    LOGFONTW logical{};
    logical.lfHeight = FontHeight(spec.points, dpi_);
    logical.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
    logical.lfCharSet = DEFAULT_CHARSET;
    logical.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy(logical.lfFaceName, spec.face, LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&logical);
    fonts_[key] = font;
    return font;
}

HWND Form::Add(int id, const wchar_t* windowClass, const wchar_t* text, DWORD style, TwipsRect rect, FontSpec font,
               DWORD exStyle) {
    const PixelRect px = ToPixels(rect, dpi_);
    HWND control =
        CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, px.left, px.top,
                        px.width, px.height, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                        GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(Font(font)), FALSE);
    placed_.push_back({id, rect, font});
    return control;
}

HWND Form::AddLabel(int id, const wchar_t* text, TwipsRect rect, FontSpec font, COLORREF colour,
                    std::optional<COLORREF> background) {
    colours_[id] = colour;
    if (background) backgrounds_[id] = *background;
    // A label one line high clips a long text at its edge instead of wrapping the last
    // words onto a line nobody sees.
    const bool oneLine = rect.height < font.points * 20 * 2;
    return Add(id, L"STATIC", text, oneLine ? SS_LEFTNOWORDWRAP : SS_LEFT, rect, font);
}

HWND Form::AddLink(int id, const wchar_t* text, TwipsRect rect, FontSpec font, const wchar_t* tip) {
    colours_[id] = RGB(0, 0, 255);
    links_.push_back(id);
    HWND control = Add(id, L"STATIC", text, SS_LEFT | SS_NOTIFY, rect, font);
    AddToolTip(id, tip);
    return control;
}

HWND Form::AddButton(int id, const wchar_t* text, TwipsRect rect, FontSpec font, bool isDefault) {
    if (isDefault) defaultButton_ = id;
    return Add(id, L"BUTTON", text, WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), rect, font);
}

namespace {
LRESULT CALLBACK FrameProcedure(HWND frame, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_ERASEBKGND) {
        RECT inside{};
        GetClientRect(frame, &inside);
        FillRect(reinterpret_cast<HDC>(wParam), &inside, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return DefSubclassProc(frame, message, wParam, lParam);
}
}  // namespace

HWND Form::AddFrame(int id, const wchar_t* text, TwipsRect rect, FontSpec font) {
    HWND frame = Add(id, L"BUTTON", text, BS_GROUPBOX, rect, font);
    SetWindowSubclass(frame, FrameProcedure, 1, 0);
    return frame;
}

void Form::AddToolTip(int id, const wchar_t* text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(Item(id));
    tool.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// Labels are opaque in the colour of what lies behind them (a white band or the window),
// so a shorter text written over a longer one leaves nothing behind.
HBRUSH Form::BackgroundAt(HWND control) {
    const int id = GetDlgCtrlID(control);
    COLORREF colour = GetSysColor(COLOR_BTNFACE);
    if (auto own = backgrounds_.find(id); own != backgrounds_.end()) {
        colour = own->second;
    } else {
        for (const Placed& placed : placed_) {
            if (placed.id != id) continue;
            for (const Band& band : bands_)
                if (Contains(band.rect, placed.rect.left, placed.rect.top)) colour = band.fill;
        }
    }
    auto found = brushes_.find(colour);
    if (found != brushes_.end()) return found->second;
    HBRUSH brush = CreateSolidBrush(colour);
    brushes_[colour] = brush;
    return brush;
}

void Form::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    for (const Band& band : bands_) {
        const PixelRect px = ToPixels(band.rect, dpi_);
        HBRUSH fill = CreateSolidBrush(band.fill);
        HPEN pen = CreatePen(PS_SOLID, 1, band.border);
        HGDIOBJ oldBrush = SelectObject(dc, fill);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        Rectangle(dc, px.left, px.top, px.left + px.width, px.top + px.height);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(fill);
        DeleteObject(pen);
    }
    for (const Rule& rule : rules_) {
        HPEN pen = CreatePen(PS_SOLID, 1, rule.colour);
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, Px(rule.x1), Px(rule.y1), nullptr);
        LineTo(dc, Px(rule.x2), Px(rule.y2));
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    for (const TwipsRect& place : icons_) {
        const PixelRect px = ToPixels(place, dpi_);
        auto icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_FERROWICK), IMAGE_ICON, px.width, px.height, 0));
        if (icon) {
            DrawIconEx(dc, px.left, px.top, icon, px.width, px.height, 0, nullptr, DI_NORMAL);
            DestroyIcon(icon);
        }
    }
    EndPaint(hwnd_, &ps);
}

void Form::Relayout(int dpi) {
    dpi_ = dpi;
    for (const Placed& placed : placed_) {
        HWND control = Item(placed.id);
        if (!control) continue;
        const PixelRect px = ToPixels(placed.rect, dpi_);
        SetWindowPos(control, nullptr, px.left, px.top, px.width, px.height, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(Font(placed.font)), FALSE);
    }
    OnRelayout();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT CALLBACK Form::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    return form->Handle(message, wParam, lParam);
}

LRESULT Form::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            HWND control = reinterpret_cast<HWND>(lParam);
            auto colour = colours_.find(GetDlgCtrlID(control));
            if (colour != colours_.end() && IsWindowEnabled(control)) SetTextColor(dc, colour->second);
            HBRUSH brush = BackgroundAt(control);
            LOGBRUSH logical{};
            GetObjectW(brush, sizeof(logical), &logical);
            SetBkColor(dc, logical.lbColor);
            return reinterpret_cast<LRESULT>(brush);
        }
        case WM_SETCURSOR: {
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
            if (reinterpret_cast<HWND>(wParam) != hwnd_ &&
                std::find(links_.begin(), links_.end(), id) != links_.end()) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        }
        case WM_COMMAND:
            if (lParam != 0) OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY: {
            bool handled = false;
            LRESULT result = OnNotify(reinterpret_cast<NMHDR*>(lParam), handled);
            if (handled) return result;
            break;
        }
        case DM_GETDEFID:
            if (defaultButton_) return MAKELRESULT(defaultButton_, DC_HASDEFID);
            return 0;
        case WM_CLOSE:
            OnCloseRequest();
            return 0;
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            Relayout(HIWORD(wParam));
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace ferrowick::winui
