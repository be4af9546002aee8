#pragma once
// One wizard window on plain Win32: a top-level window whose controls are laid out in
// twips and points and re-laid out when the window moves to a monitor of another DPI.
// It paints its own white bands and rules, colours its labels, shows tool tips and the
// hand cursor over link labels, and answers the dialog keys (Tab, Enter for the default
// button, Alt with an access key) through IsDialogMessage in the message pump.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// winbase.h's Yield() macro would hide the yielder seam's method.
#undef Yield

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "winui/twips.hpp"

namespace ferrowick::winui {

struct FontSpec {
    const wchar_t* face = L"Verdana";
    double points = 9;
    bool bold = false;
};

struct Band {
    TwipsRect rect;
    COLORREF fill, border;
};

struct Rule {
    int x1, y1, x2, y2;  // twips
    COLORREF colour;
};

class Form {
public:
    Form(std::wstring caption, int clientWidthTwips, int clientHeightTwips);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Handle() const { return hwnd_; }
    // The window's control of the given id (null before the window exists).
    HWND Item(int id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }
    bool Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }

    // Creates the window and its controls when it does not exist yet.
    void Create(HWND owner);
    // Shows the window owned by owner; centred on the owner (on the screen without one)
    // when it was not visible.
    void ShowOwnedBy(HWND owner);
    void Hide();
    // Asks the window to close as its title-bar button does (OnCloseRequest decides).
    void RequestClose();

    // Every form of the process, for the message pump.
    static const std::vector<Form*>& All();
    // The dialog keys of the form that owns msg's window; true when the message was used.
    static bool RouteDialogKeys(MSG& msg);

    std::wstring Text(int id) const;
    void SetText(int id, const std::wstring& text);
    void SetEnabled(int id, bool enabled);
    void SetShown(int id, bool shown);
    void SetFont(int id, const FontSpec& font);
    int Dpi() const { return dpi_; }

protected:
    // Adds the controls, in tab order; a control created earlier lies above a later one.
    virtual void Build() = 0;
    virtual void OnCommand(int /*id*/, int /*code*/) {}
    virtual LRESULT OnNotify(NMHDR* /*header*/, bool& handled) {
        handled = false;
        return 0;
    }
    // The title-bar close or RequestClose: the default hides the window.
    virtual void OnCloseRequest() { Hide(); }
    virtual void OnRelayout() {}

    HWND Add(int id, const wchar_t* windowClass, const wchar_t* text, DWORD style, TwipsRect rect, FontSpec font,
             DWORD exStyle = 0);
    HWND AddLabel(int id, const wchar_t* text, TwipsRect rect, FontSpec font,
                  COLORREF colour = GetSysColor(COLOR_WINDOWTEXT), std::optional<COLORREF> background = std::nullopt);
    // A label that acts as a link: blue, hand cursor, a click sends OnCommand(id, STN_CLICKED).
    HWND AddLink(int id, const wchar_t* text, TwipsRect rect, FontSpec font, const wchar_t* tip);
    HWND AddButton(int id, const wchar_t* text, TwipsRect rect, FontSpec font, bool isDefault = false);
    // A frame (group box) that paints the window's colour inside itself, where the controls
    // placed in it leave room.
    HWND AddFrame(int id, const wchar_t* text, TwipsRect rect, FontSpec font);
    void AddToolTip(int id, const wchar_t* text);
    void AddBand(Band band) { bands_.push_back(band); }
    void AddRule(Rule rule) { rules_.push_back(rule); }
    // The product icon, drawn at the given place and size.
    void AddIcon(TwipsRect rect) { icons_.push_back(rect); }
    void SetTextColour(int id, COLORREF colour) { colours_[id] = colour; }
    int Px(int twips) const { return TwipsToPixels(twips, dpi_); }
    HFONT Font(const FontSpec& spec);

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    void Relayout(int dpi);
    void SizeToClient();
    HBRUSH BackgroundAt(HWND control);

    struct Placed {
        int id;
        TwipsRect rect;
        FontSpec font;
    };

    std::wstring caption_;
    int clientWidth_, clientHeight_;
    HWND hwnd_ = nullptr;
    HWND tips_ = nullptr;
    int dpi_ = 96;
    int defaultButton_ = 0;
    std::vector<Placed> placed_;
    std::vector<Band> bands_;
    std::vector<Rule> rules_;
    std::vector<TwipsRect> icons_;
    std::map<int, COLORREF> colours_;
    std::map<int, COLORREF> backgrounds_;
    std::vector<int> links_;
    std::map<std::wstring, HFONT> fonts_;
    std::map<COLORREF, HBRUSH> brushes_;
};

}  // namespace ferrowick::winui
