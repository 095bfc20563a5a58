#include "support/TempFolder.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <functional>
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

// What a player and a software centre read of the release are the same:
// the newest release the software-centre data lists, and the newest entry
// of the package's changelog, name the version the program reports.
TEST(CommandLine, TheReleaseNotesNameTheVersionTheProgramReports)
{
    QProcess program;
    program.start(VURUZ_PROGRAM, {"--version"});
    ASSERT_TRUE(program.waitForFinished(30000));
    const QString reported =
        QString::fromUtf8(program.readAllStandardOutput()).section('\n', 0, 0).section(' ', 1);
    ASSERT_FALSE(reported.isEmpty());

    const auto read = [](const char* file) {
        QFile f(QStringLiteral(VURUZ_SOURCE_DIR "/") + file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const struct {
        const char* file;
        std::function<QString(const QByteArray&)> newest;
    } sources[] = {
        {"packaging/de.wendrake.vuruz.metainfo.xml",
         [](const QByteArray& text) {
             // Software centres take the first release listed as the newest.
             QXmlStreamReader xml(text);
             while (!xml.atEnd()) {
                 if (xml.readNext() == QXmlStreamReader::StartElement &&
                     xml.name() == QLatin1String("release"))
                     return xml.attributes().value("version").toString();
             }
             return QString();
         }},
        {"debian/changelog",
         [](const QByteArray& text) {
             return QRegularExpression(R"(^vuruz \(([^)]+)\))")
                 .match(QString::fromUtf8(text))
                 .captured(1);
         }},
    };
    for (const auto& source : sources) {
        const QByteArray text = read(source.file);
        ASSERT_FALSE(text.isEmpty()) << source.file;
        EXPECT_EQ(source.newest(text).toStdString(), reported.toStdString()) << source.file;
    }
}

} // namespace
