// Runs GoogleTest tests that drive real widgets. The application object is made
// only when tests run, so listing them needs no display.
#include "form_kit/program_icon.h"
#include "test_environment.h"

#include <QApplication>

#include <memory>

namespace {

class Application : public ::testing::Environment {
public:
    Application(int& argc, char** argv)
        : argc_(argc)
        , argv_(argv)
    {
    }

    void SetUp() override
    {
        // Qt's own file dialog, which the tests can answer, where the system has one of its own (Windows).
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        app_ = std::make_unique<QApplication>(argc_, argv_);
        QApplication::setApplicationName(QStringLiteral("Planora"));
        QApplication::setWindowIcon(programIcon());
    }

    void TearDown() override { app_.reset(); }

private:
    int& argc_;
    char** argv_;
    std::unique_ptr<QApplication> app_;
};

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new TestEnvironment);
    ::testing::AddGlobalTestEnvironment(new Application(argc, argv));
    return RUN_ALL_TESTS();
}
