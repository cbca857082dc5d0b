#pragma once
// TFlatHint: the look of every hint (tool tip) of the application. Once created, hints appear as
// a flat box with a coloured side strip whose small arrow points at the pointer, on whichever
// side of the pointer keeps the box on screen (components/FlatHintLayout.h has the rules).
//
// Creating the first TFlatHint installs the application's hint window for good: an
// application-wide event filter takes over Qt's tool tips, so every `setToolTip` text (and so
// every control's `Hint`) shows in a `TFlatHintWindow`, with the timings 500 ms (pause), 25 ms
// (moving on from a shown hint) and 5000 ms (hide). Each hint re-reads the owner's font and
// `MaxHintWidth` when it shows and its colours when it paints; the owner is the oldest TFlatHint
// still alive (none: the defaults). Destroying a TFlatHint does not undo the installation.
//
// UI thread only.
#include <QFont>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "components/FlatHintLayout.h"

class QTimer;

// What OnShowHint may look at and change before a hint shows.
struct THintInfo {
    QWidget* HintControl = nullptr;  // the control whose hint it is
    QPoint CursorPos;                // where the box is placed from (the pointer, screen)
    int HideTimeout = 5000;          // ms until the hint hides
};

// Called before each hint shows: it may change the text, refuse the hint (CanShow false) or
// change the info.
using TShowHintEvent = std::function<void(QString& HintStr, bool& CanShow, THintInfo& HintInfo)>;

class TFlatHint : public QObject {
    Q_OBJECT
public:
    explicit TFlatHint(QObject* owner = nullptr);
    ~TFlatHint() override;

    const QFont& Font() const { return font_; }
    void setFont(const QFont& font) { font_ = font; }  // copies
    // Colours are Windows colour values; a change does not repaint a hint already showing.
    quint32 ColorBackground() const { return colors_[0]; }
    void setColorBackground(quint32 color) { setColor(0, color); }
    quint32 ColorBorder() const { return colors_[1]; }
    void setColorBorder(quint32 color) { setColor(1, color); }
    quint32 ColorArrowBackground() const { return colors_[2]; }
    void setColorArrowBackground(quint32 color) { setColor(2, color); }
    quint32 ColorArrow() const { return colors_[3]; }
    void setColorArrow(quint32 color) { setColor(3, color); }
    // Total box width at which the text wraps (the text itself gets 22 pixels less).
    int MaxHintWidth() const { return maxHintWidth_; }
    void setMaxHintWidth(int width) { maxHintWidth_ = width; }

    TShowHintEvent OnShowHint;

    // The owner of the application's hints (null when none is alive).
    static TFlatHint* owner();
    // The balloon currently in use (created on the first hint; null before).
    static class TFlatHintWindow* hintWindow();

    // For tests: replaces the clock the timings run on (milliseconds, monotonic); an empty
    // function restores the real one. Call `poll()` after moving the clock on.
    static void setClockForTesting(std::function<qint64()> clock);
    static void poll();

private:
    void setColor(int index, quint32 color);

    QFont font_;
    quint32 colors_[4];
    int maxHintWidth_ = 200;
};

// The balloon itself: a borderless, topmost tool-tip window that never takes the focus.
class TFlatHintWindow : public QWidget {
    Q_OBJECT
public:
    TFlatHintWindow();

    // Sizes the box for `text` with the owner's font and width, places it by the pointer at
    // `cursor` (screen coordinates) on `screen` and shows it without activating it.
    void activateHint(const QString& text, QPoint cursor, const QRect& screen);

    corvina::hint::Corner corner() const { return corner_; }
    QPoint arrowPoint() const { return corvina::hint::arrowPoint(size(), corner_); }
    QString text() const { return text_; }

    // Paints the box (the owner's current colours) into the top-left of `image`.
    void renderTo(QImage& image);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paint(QPainter& painter);

    QString text_;
    QStringList lines_;  // the text as wrapped when the hint was activated
    QFont drawFont_;
    corvina::hint::Corner corner_ = corvina::hint::RightBelow;
};
