// What the remote run shows and reads as text: the time, the password
// masked wherever it turns up, the host's text as protocol lines, and the
// remote settings from the file the desktop's settings store writes.
#include "compute/remote_protocol.h"
#include "compute/remote_settings.h"

#include <gtest/gtest.h>

namespace vemra {
namespace {

TEST(RemoteText, TimeShowsHoursMinutesSeconds)
{
    const std::pair<int32_t, const char*> cases[] = {
        {3725, "1h 2m 5s"}, {0, "0h 0m 0s"}, {59, "0h 0m 59s"}, {1200, "0h 20m 0s"}, {36000, "10h 0m 0s"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(formatRemoteTime(seconds), text) << seconds;
}

TEST(RemoteText, EveryOccurrenceOfThePasswordIsMasked)
{
    struct Case {
        std::string text, password, masked;
    };
    const Case cases[] = {
        {"PASS geheim", "geheim", "PASS ######"},
        {"geheim geheim", "geheim", "###### ######"},
        {"xgeheimgeheimx", "geheim", "x############x"},
        {"aaa", "aa", "###"}, // overlapping: every byte of both is hidden
        {"Paß: paßwort", "paßwort", "Paß: #######"}, // characters, not bytes
        {"nothing here", "geheim", "nothing here"},
        {"empty password", "", "empty password"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(maskPassword(c.text, c.password), c.masked) << c.text;
}

TEST(RemoteText, PasswordCutIntoPiecesIsStillMasked)
{
    const std::string password = "Ge4heim!x";
    const std::string stream = "Password: Ge4heim!x\r\n$ echo Ge4heim!xGe4h\r\nGe4heim!";
    // Every way of cutting the stream in two, and byte by byte.
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        PasswordFilter f(password);
        std::string shown = f.feed(stream.substr(0, cut));
        shown += f.feed(stream.substr(cut));
        shown += f.flush();
        EXPECT_EQ(shown, maskPassword(stream, password)) << cut;
    }
    PasswordFilter f(password);
    std::string shown;
    for (const char c : stream) {
        const std::string piece = f.feed(std::string(1, c));
        EXPECT_EQ(piece.find("Ge4heim!"), std::string::npos);
        shown += piece;
    }
    EXPECT_EQ(shown + f.flush(), maskPassword(stream, password));
}

TEST(RemoteText, HostTextBecomesProtocolLines)
{
    TerminalLines lines;
    std::vector<std::string> out;
    for (const std::string piece :
         {"Host\r", "\nlogin: ", "\x1b[1mvemra\x1b[0m\r\n\r\n$ ", "a\tb\x07\n", "\x1b]0;Ti", "tel\x07x\n"}) {
        for (auto& l : lines.feed(piece))
            out.push_back(l);
        for (auto& l : lines.flush())
            out.push_back(l);
    }
    // A title sequence cut in two still shows nothing of itself.
    EXPECT_EQ(out, (std::vector<std::string>{"Host", "login: ", "vemra", "", "$ ", "a b", "x"}));
}

TEST(RemoteText, ControlSequencesAreTakenOutOfWhatReachesATerminal)
{
    const std::pair<std::string, std::string> cases[] = {
        {"220 \x1b[31mrot\x1b[0m", "220 rot"},                      // CSI
        {"a\x1b]0;Titel\x07" "b", "ab"},                             // OSC ended by BEL
        {"a\x1b]8;;http://x\x1b\\link\x1b]8;;\x1b\\b", "alinkb"}, // OSC ended by ST
        {"a\x1bPq#0;1\x1b\\b", "ab"},                               // DCS
        {"a\x1b(Bb\x1b=c", "abc"},                                  // charset, keypad
        {"a\xc2\x9b" "2Jb\xc2\x9d" "0;x\x07" "c\xc2\x85" "d", "abcd"}, // C1 in UTF-8: CSI, OSC, NEL
        {std::string("a\r\nb\x07\x7f\0c\td", 10), "abc d"},       // control characters, tab
        {"Größe \xc2\xa0= 5\xc2", "Größe \xc2\xa0= 5\xc2"},           // no C1: kept
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(withoutControlSequences(text), shown) << text;
}

TEST(RemoteText, SettingsFromTheDesktopSettingsFile)
{
    // As the settings store writes it: quoting, escapes, "@" doubled,
    // percent-encoded keys, other keys and sections around it.
    const std::string ini = "[General]\nRemote\\HostName=wrong\n\n"
                            "[V1208]\n"
                            "Options\\Position=@ByteArray(\\x1\\x2\\0\\xff)\n"
                            "Remote\\CDetails=1\n"
                            "Remote\\CRonly=0\n"
                            "Remote\\Cmd=\"nice rx-10-L remote$.rx4 0; echo \\\"fertig\\\", ok\"\n"
                            "Remote\\HostName=rechner.example\n"
                            "Remote\\K%E4se=x\n"
                            "Remote\\LoginReq=@@login:\n"
                            "Remote\\MaxTime=3725\n"
                            "Remote\\PWDReq=\n"
                            "Remote\\Prompt=\"$ \"\n"
                            "Remote\\RPath=\"/home/f\\xfcr\\\\x y;#z\"\n"
                            "Remote\\TelnetPort=2323\n"
                            "Remote\\FtpPort=zwei\n"
                            "Remote\\UserName=a, b\n";
    const RemoteSettings s = remoteSettingsFromIni(ini);
    EXPECT_EQ(s.host, "rechner.example");
    EXPECT_EQ(s.user, "a, b");
    EXPECT_EQ(s.prompt, "$ ");
    EXPECT_EQ(s.command, "nice rx-10-L remote$.rx4 0; echo \"fertig\", ok");
    EXPECT_EQ(s.remotePath, "/home/f\xc3\xbcr\\x y;#z");
    EXPECT_EQ(s.loginRequest, "@login:");
    EXPECT_EQ(s.passwordRequest, DefaultPasswordRequest); // empty: the default
    EXPECT_FALSE(s.crOnly);
    EXPECT_EQ(s.lineEnd(), "\r\n");
    EXPECT_TRUE(s.details);
    EXPECT_EQ(s.maxTime, 3725);
    EXPECT_EQ(s.telnetPort, 2323);
    EXPECT_EQ(s.ftpPort, 21); // unreadable: the default
    EXPECT_TRUE(s.password.empty());

    // The maximum time as the dialog's spin box allows it: a negative one
    // would end every run at once, a huge one never.
    for (const auto& [text, seconds] : {std::pair{"-5", 60}, {"59", 60}, {"2147483647", 36000}, {"36001", 36000}})
        EXPECT_EQ(remoteSettingsFromIni(std::string("[V1208]\nRemote\\MaxTime=") + text + "\n").maxTime, seconds)
            << text;

    const RemoteSettings none = remoteSettingsFromIni("garbage\n[V1208\n=\n\"");
    EXPECT_TRUE(none.host.empty());
    EXPECT_EQ(none.maxTime, DefaultMaxTime);
    EXPECT_TRUE(none.crOnly);
}

} // namespace
} // namespace vemra
