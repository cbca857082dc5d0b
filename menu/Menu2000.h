#pragma once
// The skinned menu library: TPopupMenu2000 holds TMenuItem2000 items and the appearance options.
// This is the part of its interface the player relies on; the library grows behind it.
//
// UI thread only.
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class TMenuItem2000 : public QObject {
    Q_OBJECT
public:
    explicit TMenuItem2000(QObject* owner) : QObject(owner) {}

    QString Caption;       // "-" makes a separator
    bool Checked = false;  // set at run time by the channel handlers
    bool Default = false;  // the item a double click on the tray icon runs
    // Runs with the item as sender after the menu has closed.
    std::function<void(QObject*)> OnClick;
    // Submenu items, in order (owned through QObject parenting).
    std::vector<TMenuItem2000*> Items;
};

class T_AM2000_MenuOptions {
public:
    // 1 to 100 percent; values outside are brought into that range.
    int Opacity() const { return opacity_; }
    void setOpacity(int percent) { opacity_ = percent < 1 ? 1 : percent > 100 ? 100 : percent; }

private:
    int opacity_ = 100;
};

class TPopupMenu2000 : public QObject {
    Q_OBJECT
public:
    explicit TPopupMenu2000(QObject* owner) : QObject(owner) {}

    // Opens the menu with its top-left corner at the screen point (x, y). Returns after the menu
    // has closed; the chosen item's OnClick has run by then.
    virtual void Popup(int /*x*/, int /*y*/) {}

    T_AM2000_MenuOptions* Options() { return &options_; }
    // The component that opened the menu last (a picture, the tray icon).
    QObject* PopupComponent = nullptr;
    bool AutoPopup = true;
    // The top-level items, in order.
    TMenuItem2000* Items() { return &items_; }

private:
    T_AM2000_MenuOptions options_;
    TMenuItem2000 items_{this};
};
