#pragma once
// The About box "关于": the program's name, version and credits beside its side picture, with
// two links (the home page and the support address) that open in the user's browser and mail
// program. Each text has a white bold copy one pixel right of and below it, so it shows with a
// white edge. The main window opens it modally and destroys it afterwards:
//     TFormAbout about(this);
//     about.exec();
// UI thread only.
#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class TImage;

class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* owner = nullptr);

    static const QString HomePage;     // the maker's home page
    static const QString SupportMail;  // the support address (without "mailto:")

    // Controls, in their creation order.
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label9 = nullptr;
    TImage* Image4 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* LabelHome = nullptr;
    QLabel* LabelEMail = nullptr;
    QFrame* Bevel1 = nullptr;
    QPushButton* ButtonClose = nullptr;
    QFrame* Panel1 = nullptr;
    TImage* Image1 = nullptr;

    // The pointer over a link: underlined, red, not bold.
    void MouseEnter(QObject* sender);
    // The pointer off a link: plain (neither bold nor underlined), black.
    void MouseLeave(QObject* sender);
    // A press on a link opens it with the desktop's handler; one that cannot be opened is
    // reported and the box stays.
    void LabelHomeMouseDown(QObject* sender);
    void LabelEMailMouseDown(QObject* sender);
    void ButtonCloseClick(QObject* sender);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
