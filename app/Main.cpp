#include "app/Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>

#include "platform/ErrorReport.h"

TFormMain* FormMain = nullptr;

namespace {
const QString kTitle = QStringLiteral("Corvina CD 播放器");
const QColor kFormColor(255, 128, 128);  // 8421631
}  // namespace

TFormMain::TFormMain(QWidget* parent) : QWidget(parent, Qt::FramelessWindowHint) {
    FormMain = this;
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(kTitle);
    setFixedSize(460, 64);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kFormColor);
    setPalette(pal);
    setAutoFillBackground(true);
}

TFormMain::~TFormMain() {
    if (FormMain == this) FormMain = nullptr;
}

void TFormMain::MenuExitClick(QObject*) {
    exiting_ = true;
    QApplication::quit();
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (!exiting_) corvina::runHandler([this] { MenuExitClick(nullptr); });
    event->accept();
}

void TFormMain::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kFormColor);
}
