#pragma once
// The skinned menu library: TPopupMenu2000 holds TMenuItem2000 items and the appearance options
// (T_AM2000_MenuOptions); Popup() shows the items as skinned menu windows (MenuWindow.h) with the
// effects of Effects.h and waits until the user has chosen or cancelled.
//
// Items are plain data read at each Popup(): changing a caption, a picture or a check mark takes
// effect the next time the menu opens.
//
// UI thread only.
#include <QFont>
#include <QImage>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class TMenuItem2000 : public QObject {
    Q_OBJECT
public:
    explicit TMenuItem2000(QObject* owner) : QObject(owner) {}

    QString Caption;       // "-" makes a separator; "&" marks the accelerator ("&&" a plain "&")
    bool Checked = false;  // set at run time by the channel handlers
    bool Default = false;  // the item a double click on the tray icon runs
    bool Enabled = true;
    bool Visible = true;
    // A 16 x 16 picture; its bottom-left pixel's colour is left out when drawn. None: no picture.
    QImage Bitmap;
    // Runs with the item as sender after the menu has closed.
    std::function<void(QObject*)> OnClick;
    // Submenu items, in order (owned through QObject parenting).
    std::vector<TMenuItem2000*> Items;

    bool isSeparator() const { return Caption == QLatin1String("-"); }
    // Appends `item` to Items and makes this item its owner.
    void Add(TMenuItem2000* item);
    // Runs OnClick with this item as sender (through the error report); nothing without one.
    void Click();
};

// Colours as Windows colour values (0x00BBGGRR, system colours, clNone).
struct T_AM2000_Colors {
    quint32 Border;
    quint32 Bevel;
    quint32 BevelShadow;
    quint32 Menu;           // background
    quint32 MenuText;
    quint32 Highlight;      // background of the item under the pointer or the keyboard
    quint32 HighlightText;
    quint32 DisabledText;
    quint32 DisabledShadow;
    quint32 Line;           // separators
    quint32 LineShadow;
    quint32 Frame;          // the lit edge of a checked item's picture cell
    quint32 FrameShadow;    // its shaded edge
    quint32 SunkenText;
};

// Distances in pixels. Border and Bevel are rings around the whole window, outermost first; the
// title strip lies inside them. Within an item, Gutter is the picture column at its left edge,
// Left the distance from the item's left edge to its text and Right from the end of the widest
// text to the item's right edge (where a submenu arrow sits). Item is added to the height of
// every item that is not a separator; Separator is the height of a separator.
struct T_AM2000_Margins {
    int Border = 1;
    int Bevel = 0;
    int Left = 24;
    int Right = 24;
    int Space = 0;
    int Frame = 0;
    int Gutter = 24;
    int Item = 0;
    int Separator = 9;
};

enum T_AM2000_TitleAlign { atLeft, atRight, atTop, atBottom };

// A strip along one edge of every menu window.
struct T_AM2000_Title {
    bool Visible = false;
    int Width = 20;
    quint32 ColorBegin;  // a gradient from begin to end under the bitmap (clNone: none)
    quint32 ColorEnd;
    T_AM2000_TitleAlign Align = atLeft;
    QString Text;
    QImage Bitmap;  // tiled along the strip
};

enum T_AM2000_MenuFlag : unsigned {
    mfDropShadow = 1u << 0,    // a 4-pixel shadow to the right of and below every menu window
    mfNoBitmapRect = 1u << 1,  // item pictures without a frame around them
};

enum T_AM2000_Animation {
    anNone,     // the menu appears at once
    anDefault,  // as the desktop's settings say (here: the fade unless animations are off)
    anFade,     // fades in over the screen beneath (16 steps of 10 ms)
};

// 1 to 100 percent: how much of the menu covers what lies beneath it.
using T_AM2000_Opacity = int;

class T_AM2000_MenuOptions {
public:
    T_AM2000_MenuOptions();

    // 1 to 100 percent; values outside are brought into that range.
    T_AM2000_Opacity Opacity() const { return opacity_; }
    void setOpacity(T_AM2000_Opacity percent) {
        opacity_ = percent < 1 ? 1 : percent > 100 ? 100 : percent;
    }

    T_AM2000_Colors Colors;
    T_AM2000_Margins Margins;
    T_AM2000_Title Title;
    unsigned Flags = 0;  // T_AM2000_MenuFlag bits
    T_AM2000_Animation Animation = anDefault;

    bool hasFlag(T_AM2000_MenuFlag flag) const { return (Flags & flag) != 0; }

private:
    T_AM2000_Opacity opacity_ = 100;
};

class T_AM2000_MenuWindow;

class TPopupMenu2000 : public QObject {
    Q_OBJECT
public:
    explicit TPopupMenu2000(QObject* owner);
    ~TPopupMenu2000() override;

    // Opens the menu with its top-left corner at the screen point (x, y) (moved onto the screen
    // where it would stick out). Returns after the menu has closed; the chosen item's OnClick has
    // run by then. A call while this menu is open does nothing.
    virtual void Popup(int x, int y);

    T_AM2000_MenuOptions* Options() { return &options_; }
    // The component that opened the menu last (a picture, the tray icon).
    QObject* PopupComponent = nullptr;
    bool AutoPopup = true;
    // The top-level items, in order.
    TMenuItem2000* Items() { return &items_; }

    // Appearance beyond the options.
    QFont Font;                   // with SystemFont false, the font of every item
    bool SystemFont = true;       // true: the desktop's menu font instead of Font
    bool Ctl3D = true;            // a raised edge around the highlighted item
    bool ShowHint = false;        // items' tool tips
    bool AutoHotkeys = true;      // false: only accelerators the captions mark with "&"
    bool AutoLineReduction = true;

    // The menu window while Popup() runs (null otherwise); tests and benchmarks drive it.
    T_AM2000_MenuWindow* openWindow() const { return open_; }
    // Called with each menu window right after it has been shown (the popup and its submenus).
    std::function<void(T_AM2000_MenuWindow*)> OnWindowShown;
    // Called with a menu window each time it has painted (a fade frame or a normal paint).
    std::function<void(T_AM2000_MenuWindow*)> OnWindowPainted;

private:
    T_AM2000_MenuOptions options_;
    TMenuItem2000 items_{this};
    T_AM2000_MenuWindow* open_ = nullptr;
};
