#include "ui/about.h"

#include <algorithm>

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "ui/about_text.h"
#include "ui/metrics.h"
#include "ui/platform.h"
#include "vellumtide_version.h"

namespace vt::ui {
namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

}  // namespace

frmAbout::frmAbout(Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      platform_(platform) {
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("About Window"));
    setFixedSize(Twips(5565), Twips(3315));
    setFont(SansFont(8.25));

    aboutName = MakeLabel(this, "aboutName", "Name", TwipsRect(750, 180, 2950, 240));
    aboutName->setFont(SansFont(9.75, true));
    aboutVersion = MakeLabel(this, "aboutVersion", "Version", TwipsRect(750, 540, 2950, 240));
    Label1 = MakeLabel(this, "Label1",
                       QStringLiteral("Copyright \u00A9 2025-2026 Marrowlane.\nAll rights reserved."),
                       TwipsRect(750, 900, 3300, 420));

    auto* line = new QFrame(this);
    line->setObjectName("Line1");
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    line->setGeometry(0, Twips(1890) - 1, Twips(5535), 2);

    aboutOS = MakeLabel(this, "aboutOS", "OS System", TwipsRect(750, 2070, 2950, 240));
    aboutFreeMem = MakeLabel(this, "aboutFreeMem", "Free Memory", TwipsRect(750, 2475, 2950, 240));
    aboutFreeRes = MakeLabel(this, "aboutFreeRes", "Free Resources", TwipsRect(750, 2835, 2950, 240));
    for (QLabel* label : {aboutName, aboutVersion, aboutOS, aboutFreeMem, aboutFreeRes}) {
        label->setWordWrap(false);
        label->setProperty("designWidth", label->width());
    }

    Picture1 = new QLabel(this);
    Picture1->setObjectName("Picture1");
    Picture1->setGeometry(TwipsRect(4380, 420, 540, 540));
    Picture1->setAlignment(Qt::AlignCenter);

    aboutOK = new QPushButton(QStringLiteral("OK"), this);
    aboutOK->setObjectName("aboutOK");
    aboutOK->setGeometry(TwipsRect(4200, 2820, 1230, 330));
    aboutOK->setDefault(true);
    aboutOK->setFocus();
    // OK hides the box; it stays loaded for the next About command.
    connect(aboutOK, &QPushButton::clicked, this, &QDialog::accept);
}

void frmAbout::Activate() {
    aboutName->setText(QString::fromUtf8(kProductName));
    aboutVersion->setText(QStringLiteral("Version ") + QStringLiteral(VELLUMTIDE_VERSION));
    aboutOS->setText(OsLine(platform_.QueryOsVersion()));
    const MemoryStatus memory = platform_.QueryMemoryStatus();
    aboutFreeMem->setText(FreeMemoryLine(memory.availablePhysical, locale_));
    aboutFreeRes->setText(MemoryLoadLine(memory.memoryLoad));
    // The figures of today's machines are longer than the lines were drawn
    // for: a line widens to its text, up to the window's edge or, level
    // with it, the OK button.
    const int edge = width() - Twips(120);
    const QRect ok = aboutOK->geometry();
    for (QLabel* label : {aboutName, aboutVersion, aboutOS, aboutFreeMem, aboutFreeRes}) {
        QRect area = label->geometry();
        const bool besideOk = area.bottom() >= ok.top() && area.top() <= ok.bottom();
        const int limit = (besideOk ? ok.left() - Twips(60) : edge) - area.left();
        const int wanted = label->fontMetrics().horizontalAdvance(label->text()) + 2;
        area.setWidth(std::max(label->property("designWidth").toInt(), std::min(wanted, limit)));
        label->setGeometry(area);
    }
    if (!windowIcon().isNull()) {
        Picture1->setPixmap(windowIcon().pixmap(32, 32));
    }
}

bool frmAbout::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        Activate();
    }
    return QDialog::event(event);
}

void frmAbout::showEvent(QShowEvent* event) {
    // Filled before the first paint too, whether or not the window system
    // reports the activation.
    Activate();
    aboutOK->setFocus();
    QDialog::showEvent(event);
}

}  // namespace vt::ui
