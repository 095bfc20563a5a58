#include "support/TempFolder.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

// The game reads no command line, but answers --help and --version on its
// output and ends, before it looks for a display; anything else it leaves to
// the start-up, which here, with no display, says so and ends with status 1.
TEST(CommandLine, HelpAndVersionAreAnsweredAndNothingElseIsRead)
{
    struct Case {
        QStringList args;
        int status;
        QByteArray output; // how its standard output starts
    };
    const Case cases[] = {
        {{"--help"}, 0, "Usage: vuruz\n"},
        {{"-h"}, 0, "Usage: vuruz\n"},
        {{"--version"}, 0, "vuruz " VURUZ_VERSION "\n"},
        {{"-display", ":99", "--version"}, 0, "vuruz " VURUZ_VERSION "\n"},
        {{"--", "--help"}, 1, ""},
        {{"--verbose"}, 1, ""},
        {{}, 1, ""},
    };
    TempFolder runtime;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        program.setProcessEnvironment(env);
        program.start(VURUZ_PROGRAM, c.args);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), c.status);
        const QByteArray out = program.readAllStandardOutput();
        EXPECT_TRUE(out.startsWith(c.output)) << out.toStdString();
        if (c.output.isEmpty())
            EXPECT_TRUE(out.isEmpty()) << out.toStdString();
        else
            EXPECT_TRUE(program.readAllStandardError().isEmpty());
    }
}

// An answer that cannot be written is a failure, not a silent success.
TEST(CommandLine, AnAnswerThatCannotBeWrittenFails)
{
    for (const char* arg : {"--help", "--version"}) {
        QProcess program;
        program.setStandardOutputFile("/dev/full");
        program.start(VURUZ_PROGRAM, {arg});
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitCode(), 1) << arg;
    }
}

} // namespace
