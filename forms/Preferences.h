#pragma once
// The Preferences dialog "设置": the ten preferences of the settings store (the tenth,
// `OnlineLookup`, switches online lookups of disc names, platform/lookup/OnlineNames.h), the
// four system integration switches (platform/desktop/Integration.h) and the CD drive list. The main
// window opens it modally and destroys it afterwards:
//     TFormPreferences form(this);
//     form.exec();
//
// Everything it shows comes from the stores when it is created; OK writes the ten values, then
// the integration, then applies stay-on-top, translucency, the menu's opacity and the rounded
// shape to the running main window (the global `FormMain`; without one nothing is applied) and
// the lookup switch to the lookups, and closes. An error ends the handler where it happened and is
// reported: while loading, the dialog still opens with what it got; in OK, it stays open and
// nothing is applied. Cancel, Esc and the close button write nothing. UI thread only.
#include <QDialog>
#include <array>
#include <utility>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class TFormPreferences : public QDialog {
    Q_OBJECT
public:
    // Creates the controls and runs `FormCreate` (an error there is reported).
    explicit TFormPreferences(QWidget* owner = nullptr);

    // Controls, in their declared order.
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* cbStopOnExit = nullptr;
    QCheckBox* cbAlwaysOnTop = nullptr;
    QCheckBox* cbAutorun = nullptr;
    QCheckBox* cbTranslucent = nullptr;
    QCheckBox* cbShowSplash = nullptr;
    QCheckBox* cbMinimizeAtStartup = nullptr;
    QCheckBox* cbEjectOnExit = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QCheckBox* cbAutoPlay = nullptr;
    QCheckBox* cbDefaultPlayer = nullptr;
    QCheckBox* cbDefaultIcons = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QCheckBox* cbCloseAtStartup = nullptr;
    QCheckBox* cbCloseOnExit = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cbbDevice = nullptr;
    QCheckBox* cbTranslucentMenu = nullptr;
    QCheckBox* cbOnlineLookup = nullptr;

    // Handlers. They throw corvina::Error to end early; the buttons run them through runHandler.
    void FormCreate(QObject* sender);
    void ButtonOKClick(QObject* sender);
    void ButtonCancelClick(QObject* sender);

private:
    // The first nine values of the settings store and their boxes, in the order they are read
    // and written (`OnlineLookup`, the tenth, follows them).
    std::array<std::pair<const char*, QCheckBox*>, 9> settingBoxes() const;
};
