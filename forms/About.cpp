#include "forms/About.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <algorithm>

#include "app/Picture.h"
#include "components/Colors.h"
#include "forms/Placement.h"
#include "platform/ErrorReport.h"
#include "platform/Fonts.h"
#include "platform/shell/Desktop.h"
#include "resources/Skin.h"

// The maker has no public site: reserved example names, so a click never lands on a stranger's
// site or mailbox.
const QString TFormAbout::HomePage = QStringLiteral("http://www.velmaro.example/");
const QString TFormAbout::SupportMail = QStringLiteral("support@velmaro.example");

namespace {

const QString kName = QStringLiteral("Corvina CD 播放器 XP");
const QString kVersion = QStringLiteral(
    "版本 4.3  (2002.8.3)\n"
    "\n"
    "设计与编程：Velmaro 工作室\n"
    "界面与图片：Corvina 小组");

// A label whose lines follow each other at the font's pixel height, as the box was laid out:
// the four lines of the version text fill exactly its 48 pixels.
class AboutLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        // The 12-pixel bitmap face has no bold cut: bold is drawn as the regular face struck
        // twice, one pixel apart, the way bitmap faces have always been emboldened.
        QFont face = font();
        const bool bold = face.bold();
        face.setBold(false);
        painter.setFont(face);
        painter.setPen(palette().color(QPalette::WindowText));
        const QFontMetrics metrics(face);
        const int step = face.pixelSize() > 0 ? face.pixelSize() : metrics.height();
        int top = 0;
        for (const QString& line : text().split(QLatin1Char('\n'))) {
            // Down to the label's bottom: the descenders and an underline fit below the line.
            const QRect box(0, top, width(), std::max(metrics.height(), height() - top));
            painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, line);
            if (bold) painter.drawText(box.translated(1, 0), Qt::AlignLeft | Qt::AlignTop, line);
            top += step;
        }
    }
};

// A bevel showing only its top line: a shadow line with a highlight line under it.
class TopBevel : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(corvina::colorFromWin(clBtnShadow));
        painter.drawLine(0, 0, width() - 1, 0);
        painter.setPen(corvina::colorFromWin(clBtnHighlight));
        painter.drawLine(0, 1, width() - 1, 1);
    }
};

QLabel* makeLabel(QWidget* parent, const char* name, QRect geometry, const QString& text,
                  quint32 color) {
    auto* label = new AboutLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAttribute(Qt::WA_TranslucentBackground);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, corvina::colorFromWin(color));
    label->setPalette(palette);
    return label;
}

// The label's size with room below the line for the descenders and the hovered underline.
QSize linkSize(const QLabel* label) {
    QFont underlined = label->font();
    underlined.setUnderline(true);
    const QFontMetrics metrics(underlined);
    const int below = std::max(metrics.descent(), metrics.underlinePos() + metrics.lineWidth());
    return {label->width(), std::max(label->height(), metrics.ascent() + below)};
}

void setLinkLook(QLabel* label, bool bold, bool underline, quint32 color) {
    QFont font = label->font();
    font.setBold(bold);
    font.setUnderline(underline);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, corvina::colorFromWin(color));
    label->setPalette(palette);
}

void openLink(const QUrl& url) {
    if (!corvina::shell::desktop().openUrl(url)) {
        throw corvina::Error(QStringLiteral("无法打开“%1”：桌面没有能打开它的程序。")
                                 .arg(url.toString()));
    }
}

}  // namespace

TFormAbout::TFormAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("关于"));
    setFont(corvina::windowsFont(QStringLiteral("宋体"), -12));
    setFixedSize(369, 220);

    const QString home = QStringLiteral("网站：") + HomePage;
    const QString mail = QStringLiteral("电子邮件：") + SupportMail;

    // The white copies first, so that the coloured labels lie above them.
    Label5 = makeLabel(this, "Label5", {153, 17, 128, 12}, kName, clWhite);
    Label6 = makeLabel(this, "Label6", {153, 41, 160, 48}, kVersion, clWhite);
    Label7 = makeLabel(this, "Label7", {153, 113, 194, 12}, home, clWhite);
    Label9 = makeLabel(this, "Label9", {153, 129, 199, 12}, mail, clWhite);
    Label7->setCursor(Qt::PointingHandCursor);
    Label9->setCursor(Qt::PointingHandCursor);

    Image4 = new TImage(this);
    Image4->setObjectName(QStringLiteral("Image4"));
    Image4->setAutoSize(true);
    Image4->setGeometry(112, 16, 32, 32);
    Image4->setPicture(skin::picture(QStringLiteral("MAINICON")));

    Label10 = makeLabel(this, "Label10", {152, 16, 128, 12}, kName, clRed);
    Label12 = makeLabel(this, "Label12", {152, 40, 160, 48}, kVersion, clBlack);
    LabelHome = makeLabel(this, "LabelHome", {152, 112, 194, 12}, home, clBlack);
    LabelEMail = makeLabel(this, "LabelEMail", {152, 128, 199, 12}, mail, clBlack);
    // A link's 12 rows end on the line its text stands on: the label and its white copy reach
    // down far enough for the letters below the line and the underline shown while hovered.
    for (QLabel* label : {Label7, Label9, LabelHome, LabelEMail}) label->resize(linkSize(label));
    for (QLabel* link : {LabelHome, LabelEMail}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setAttribute(Qt::WA_Hover);
        link->installEventFilter(this);
    }

    Bevel1 = new TopBevel(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setGeometry(110, 168, 249, 9);

    ButtonClose = new QPushButton(QStringLiteral("确定"), this);
    ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
    ButtonClose->setGeometry(280, 184, 75, 25);
    ButtonClose->setDefault(true);
    ButtonClose->setAutoDefault(true);
    connect(ButtonClose, &QPushButton::clicked, this,
            corvina::guarded([this] { ButtonCloseClick(ButtonClose); }));

    // Inner bevel raised, outer lowered: a sunken outer ring round a raised inner one.
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 91, 204);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setMidLineWidth(0);
    auto* inner = new QFrame(Panel1);
    inner->setGeometry(1, 1, 89, 202);
    inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    inner->setLineWidth(1);
    Image1 = new TImage(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAutoSize(true);
    Image1->setGeometry(2, 2, 87, 200);
    Image1->setPicture(skin::picture(QStringLiteral("AboutSide")));

    setTabOrder(ButtonClose, Panel1);
    ButtonClose->setFocus();

    const QScreen* screen = QGuiApplication::primaryScreen();
    corvina::centreOnScreen(this, screen);
}

bool TFormAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LabelHome || watched == LabelEMail) {
        switch (event->type()) {
            case QEvent::Enter:
                corvina::runHandler([&] { MouseEnter(watched); });
                break;
            case QEvent::Leave:
                corvina::runHandler([&] { MouseLeave(watched); });
                break;
            case QEvent::MouseButtonPress:
                if (watched == LabelHome)
                    corvina::runHandler([&] { LabelHomeMouseDown(watched); });
                else
                    corvina::runHandler([&] { LabelEMailMouseDown(watched); });
                return true;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormAbout::MouseEnter(QObject* sender) {
    if (auto* label = qobject_cast<QLabel*>(sender)) setLinkLook(label, false, true, clRed);
}

void TFormAbout::MouseLeave(QObject* sender) {
    if (auto* label = qobject_cast<QLabel*>(sender)) setLinkLook(label, false, false, clBlack);
}

void TFormAbout::LabelHomeMouseDown(QObject*) { openLink(QUrl(HomePage)); }

void TFormAbout::LabelEMailMouseDown(QObject*) {
    openLink(QUrl(QStringLiteral("mailto:") + SupportMail));
}

void TFormAbout::ButtonCloseClick(QObject*) { close(); }
