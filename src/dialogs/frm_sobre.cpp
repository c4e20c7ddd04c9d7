#include "dialogs/frm_sobre.h"

#include "dialogs/build_facts.h"
#include "form_kit/form_layout.h"
#include "form_kit/frame_caption.h"
#include "form_kit/program_icon.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {

QFont boldFont(qreal points)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

// The development environment: the toolkit and the compiler this program was built with.
QString buildEnvironment()
{
#if defined(__clang__)
    const QString compiler =
        QStringLiteral("Clang %1.%2.%3").arg(__clang_major__).arg(__clang_minor__).arg(__clang_patchlevel__);
#elif defined(__GNUC__)
    const QString compiler = QStringLiteral("GCC %1.%2.%3").arg(__GNUC__).arg(__GNUC_MINOR__).arg(__GNUC_PATCHLEVEL__);
#elif defined(_MSC_VER)
    const QString compiler = QStringLiteral("MSVC %1").arg(_MSC_FULL_VER);
#else
    const QString compiler = QStringLiteral("C++");
#endif
    return QStringLiteral("Qt " QT_VERSION_STR ", ") + compiler;
}

}  // namespace

frmSobre::frmSobre(QWidget* parent)
    : FixedDialog(parent, "frmSobre", QStringLiteral("Sobre o Planora"), twips(0, 0, 5865, 3615))
{
    Image1 = placed(new QLabel(this), "Image1", twips(360, 360, 720, 720));
    Image1->setPixmap(programIcon().pixmap(48, 48));
    Label1 = placedLabel(this, "Label1", QStringLiteral("Planora"), twips(1560, 540, 3135, 435));
    Label1->setFont(boldFont(13.5));
    fitText(Label1);

    Frame1 = placed(new QGroupBox(QStringLiteral("Informações"), this), "Frame1", twips(60, 1260, 5715, 1815));
    setFrameCaptionRed(Frame1);
    Label2 = placedLabel(Frame1, "Label2",
                         QStringLiteral("Crie, salve e modifique o arquivo de configuração do Microsoft Flight "
                                        "Simulator 2004."),
                         twips(240, 300, 4875, 495));
    Label3 = placedLabel(Frame1, "Label3", QStringLiteral("Criado por:"), twips(240, 900, 975, 255));
    Label4 = placedLabel(Frame1, "Label4", QStringLiteral("Equipe Planora"), twips(1260, 900, 2895, 255));
    Label5 = placedLabel(Frame1, "Label5", QStringLiteral("IDE:"), twips(240, 1140, 975, 255));
    Label6 = placedLabel(Frame1, "Label6", buildEnvironment(), twips(1260, 1140, 2895, 255));
    Label7 = placedLabel(Frame1, "Label7", QStringLiteral("Nº Linhas:"), twips(240, 1380, 975, 255));
    Label8 = placedLabel(Frame1, "Label8", QString::number(kSourceLines), twips(1260, 1380, 2895, 255));
    for (QLabel* caption : {Label3, Label5, Label7}) {
        caption->setFont(boldFont(8.25));
        fitText(caption);
    }

    cmbOK = button("cmbOK", QStringLiteral("OK"), twips(4380, 3120, 1395, 435));
    cmbOK->setFocus();
    connect(cmbOK, &QPushButton::clicked, this, &QDialog::accept);
}
