#include "window_fixture.h"

#include "app/command_line.h"
#include "app/qt_translations.h"

#include <QAbstractButton>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QProcess>
#include <QTranslator>
#include <QUrl>

using namespace gui_testing;

namespace {

// The captions of a modal window's buttons, without their access-key marks; then closes it.
ModalScript::Step readButtons(QStringList& captions)
{
    return [&captions](QWidget* modal) {
        for (const QAbstractButton* button : modal->findChildren<QAbstractButton*>()) {
            if (button->isVisible() && !button->text().isEmpty())
                captions.append(button->text().remove(u'&'));
        }
        modal->close();
    };
}

}  // namespace

class DesktopTest : public WindowTest {};

TEST_F(DesktopTest, TheCommandLineTakesOneFileHelpAndTheVersion)
{
    const struct {
        QStringList arguments;
        int exitCode;
        QString out;  // a part of standard output
        QString err;  // a part of standard error
    } cases[] = {
        {{"--help"}, 0, "Uso: planora [opções] [arquivo]\n", ""},
        {{"-h"}, 0, "O arquivo .cfg a abrir ao iniciar.", ""},
        {{"--version"}, 0, "Planora " PLANORA_VERSION "\n", ""},
        {{"--nada"}, 2, "", "Opção desconhecida: --nada\nUso: "},
        {{"um.cfg", "dois.cfg"}, 2, "", "Só um arquivo pode ser aberto.\nUso: "},
        {{""}, 2, "", "O nome do arquivo está vazio.\nUso: "},
    };
    for (const auto& c : cases) {
        QProcess planora;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LANG", "C");
        environment.remove("QT_QPA_PLATFORM");  // help needs no display
        planora.setProcessEnvironment(environment);
        planora.start(QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(PLANORA_BINARY), c.arguments);
        ASSERT_TRUE(planora.waitForFinished(10000)) << c.arguments.join(' ').toStdString();
        // Lines end as the system ends them (CR LF on Windows).
        const QString out = QString::fromLocal8Bit(planora.readAllStandardOutput()).replace("\r\n", "\n");
        const QString err = QString::fromLocal8Bit(planora.readAllStandardError()).replace("\r\n", "\n");
        EXPECT_EQ(planora.exitCode(), c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(out.contains(c.out) && (c.out.isEmpty() || err.isEmpty())) << out.toStdString();
        EXPECT_TRUE(err.contains(c.err)) << err.toStdString();
        EXPECT_FALSE((out + err).contains("Usage") || (out + err).contains("Options")) << "one language only";
    }

    const CommandLine none = parseCommandLine({"planora"});
    EXPECT_FALSE(none.exitCode);
    EXPECT_TRUE(none.file.isEmpty());
    EXPECT_EQ(parseCommandLine({"planora", "relativo.cfg"}).file, QDir::current().absoluteFilePath("relativo.cfg"));
    EXPECT_TRUE(parseCommandLine({"planora", "--", "-traço.cfg"}).file.endsWith("/-traço.cfg"));
    // A name the system's encoding cannot read is refused, never taken for another file.
    const CommandLine badName = parseCommandLine({"planora", "ruim\xff.cfg"});
    EXPECT_FALSE(badName.exitCode);
    EXPECT_EQ(badName.fileError, "O nome do arquivo não é válido na codificação do sistema.");
}

TEST_F(DesktopTest, AFileFromTheCommandLineOrADropOpensAsOpenDoes)
{
    const QString first = path("primeiro.cfg");
    writeFile(first, "[um]\r\n");
    window->openPath(first);
    EXPECT_EQ(caption(), "Planora - primeiro.cfg");
    EXPECT_EQ(window->CurrentFile(), first);

    const QString broken = path("quebrado.cfg");
    writeFile(broken, "solto\r\n");
    SeenMessage error;
    ModalScript().then(pressInMessageBox(error)).run([&] { window->openPath(broken); });
    expectMessage(error, QMessageBox::Critical, "Erro",
                  "Não foi possível abrir o arquivo\n" + QDir::toNativeSeparators(broken) +
                      "\n\nLinha 1: a linha não é um grupo nem tem \"=\".");
    EXPECT_EQ(caption(), "Planora - primeiro.cfg");

    const QString second = path("segundo.cfg");
    writeFile(second, "[dois]\r\n");
    const struct {
        QList<QUrl> urls;
        QString text;
        bool opens;
    } drops[] = {
        {{QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)}, {}, false},
        {{QUrl("https://example.org/fs9.cfg")}, {}, false},
        {{QUrl::fromLocalFile(folder.path())}, {}, false},
        {{}, second, false},
        {{QUrl::fromLocalFile(second)}, {}, true},
    };
    for (const auto& d : drops) {
        QMimeData data;
        if (!d.urls.isEmpty())
            data.setUrls(d.urls);
        if (!d.text.isEmpty())
            data.setText(d.text);
        const QPoint centre = window->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        EXPECT_EQ(enter.isAccepted(), d.opens) << d.text.toStdString();
        QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &drop);
        QApplication::processEvents();
        EXPECT_EQ(window->CurrentFile(), d.opens ? second : first);
    }
    EXPECT_EQ(caption(), "Planora - segundo.cfg");
    EXPECT_EQ(rowsOf(groups), QStringList{"[dois]"});
}

TEST_F(DesktopTest, QtsOwnTextsSpeakTheSystemsLanguage)
{
    load("[a]\r\nx=1\r\n");
    groups->setCurrentIndex(groups->model()->index(0, 0));
    const auto captions = [&] {
        QStringList question, fileDialog, inputBox;
        ModalScript().then(readButtons(question)).run([&] { chooseMenuItem(window.get(), "menSair"); });
        ModalScript().then(readButtons(fileDialog)).run([&] { chooseMenuItem(window.get(), "menAbrir"); });
        ModalScript().then(readButtons(inputBox)).run([&] { doubleClickRow(entries, 0); });
        return QList<QStringList>{question, fileDialog, inputBox};
    };

    QTranslator* portuguese = installQtTranslations(QLocale(QLocale::Portuguese, QLocale::Brazil));
    ASSERT_NE(portuguese, nullptr);
    const QList<QStringList> translated = captions();
    QCoreApplication::removeTranslator(portuguese);
    delete portuguese;
    EXPECT_EQ(installQtTranslations(QLocale::c()), nullptr);
    const QList<QStringList> english = captions();

    EXPECT_EQ(translated[0], (QStringList{"Sim", "Não"}));
    EXPECT_TRUE(translated[1].contains("Abrir")) << translated[1].join(',').toStdString();
    EXPECT_EQ(translated[2], (QStringList{"OK", "Cancelar"}));
    EXPECT_EQ(english[0], (QStringList{"Yes", "No"}));
    EXPECT_TRUE(english[1].contains("Open")) << english[1].join(',').toStdString();
    EXPECT_EQ(english[2], (QStringList{"OK", "Cancel"}));
}
