#include "remote_settings.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <map>
#include <vector>

namespace vemra {

const RemoteTextField RemoteTextFields[8] = {
    {&RemoteSettings::host, "HostName:", "--host"},
    {&RemoteSettings::user, "UserName:", "--user"},
    {&RemoteSettings::password, "Password:", nullptr},
    {&RemoteSettings::prompt, "Prompt:", "--prompt"},
    {&RemoteSettings::loginRequest, "login-Req:", nullptr},
    {&RemoteSettings::passwordRequest, "PWD-Req:", nullptr},
    {&RemoteSettings::command, "Kommando:", "--command"},
    {&RemoteSettings::remotePath, "Pfad:", "--path"},
};

bool hasControlCharacter(const std::string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto u = static_cast<unsigned char>(text[i]);
        if (u < 0x20 || u == 0x7F)
            return true;
        // U+0080..U+009F: C2 80..C2 9F.
        if (u == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F
            && static_cast<unsigned char>(text[i + 1]) >= 0x80)
            return true;
    }
    return false;
}

std::string controlCharacterMessage(const std::string& where)
{
    return "\"" + where + "\" enthält ein Steuerzeichen (CR, LF, NUL o. ä.) und wird nicht an den Host gesendet.";
}

std::optional<std::string> controlCharacterProblem(const RemoteSettings& settings)
{
    for (const auto& field : RemoteTextFields)
        if (hasControlCharacter(settings.*field.member))
            return controlCharacterMessage(field.label);
    return std::nullopt;
}

std::string formatRemoteTime(int32_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    return std::to_string(seconds / 3600) + "h " + std::to_string(seconds / 60 % 60) + "m "
           + std::to_string(seconds % 60) + "s";
}

namespace {

void appendUtf8(std::string& out, uint32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x110000) {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Keys and section names are percent-encoded where they are not plain ASCII.
std::string percentDecoded(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexDigit(s[i + 1]) >= 0 && hexDigit(s[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(s[i + 1]) * 16 + hexDigit(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// A string value as the settings file writes it: optionally quoted parts,
// backslash escapes (also \xHHHH and octal code points), a comma outside
// quotes separating list items, ";" outside quotes starting a comment. A
// list reads as its items joined by ", ", as the desktop reads it.
std::optional<std::string> unescapedValue(const std::string& raw)
{
    std::vector<std::string> items(1);
    std::string spaces; // unquoted blanks, kept only when more text follows
    bool inQuotes = false;
    bool started = false;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        std::string& item = items.back();
        if (!inQuotes && (c == ' ' || c == '\t')) {
            if (started)
                spaces += c;
            continue;
        }
        if (!inQuotes && c == ';')
            break;
        if (!inQuotes && c == ',') {
            items.emplace_back();
            spaces.clear();
            started = false;
            continue;
        }
        item += spaces;
        spaces.clear();
        started = true;
        if (c == '"') {
            inQuotes = !inQuotes;
            continue;
        }
        if (c != '\\' || i + 1 >= raw.size()) {
            item += c;
            continue;
        }
        const char e = raw[++i];
        switch (e) {
        case 'a': item += '\a'; break;
        case 'b': item += '\b'; break;
        case 'f': item += '\f'; break;
        case 'n': item += '\n'; break;
        case 'r': item += '\r'; break;
        case 't': item += '\t'; break;
        case 'v': item += '\v'; break;
        case 'x': {
            uint32_t code = 0;
            while (i + 1 < raw.size() && hexDigit(raw[i + 1]) >= 0 && code < 0x110000)
                code = code * 16 + static_cast<uint32_t>(hexDigit(raw[++i]));
            appendUtf8(item, code);
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                uint32_t code = static_cast<uint32_t>(e - '0');
                while (i + 1 < raw.size() && raw[i + 1] >= '0' && raw[i + 1] <= '7' && code < 0x110000)
                    code = code * 8 + static_cast<uint32_t>(raw[++i] - '0');
                appendUtf8(item, code);
            } else {
                item += e; // \" \' \\ \? and anything unknown stand for themselves
            }
        }
    }
    std::string value = items.front();
    for (std::size_t i = 1; i < items.size(); ++i)
        value += ", " + items[i];
    // "@ByteArray(...)", "@Variant(...)" are not strings; "@@" is a leading "@".
    if (!value.empty() && value[0] == '@') {
        if (value.size() > 1 && value[1] == '@')
            return value.substr(1);
        return std::nullopt;
    }
    return value;
}

std::optional<int32_t> integerValue(const std::string& text)
{
    const std::string t = trimmed(text);
    if (t == "true")
        return 1;
    if (t == "false")
        return 0;
    int32_t v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size() || t.empty())
        return std::nullopt;
    return v;
}

} // namespace

RemoteSettings remoteSettingsFromIni(const std::string& iniText)
{
    // "SOFTWARE\...\V1208\Remote" lands in the section of the version key.
    const std::string prefix = std::string("V1208/") + RemoteSettingsKey + "/";
    std::map<std::string, std::string> raw;
    std::string section;
    std::size_t pos = 0;
    while (pos < iniText.size()) {
        std::size_t end = iniText.find('\n', pos);
        if (end == std::string::npos)
            end = iniText.size();
        std::string line = iniText.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string t = trimmed(line);
        if (t.empty() || t[0] == ';' || t[0] == '#')
            continue;
        if (t.front() == '[' && t.back() == ']') {
            section = percentDecoded(t.substr(1, t.size() - 2));
            if (section == "General")
                section.clear();
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = percentDecoded(trimmed(line.substr(0, eq)));
        for (char& c : key)
            if (c == '\\')
                c = '/';
        if (!section.empty())
            key = section + "/" + key;
        if (key.compare(0, prefix.size(), prefix) == 0)
            raw[key.substr(prefix.size())] = line.substr(eq + 1);
    }

    RemoteSettings s;
    const auto text = [&](const char* name, std::string& target) {
        if (auto it = raw.find(name); it != raw.end())
            if (auto v = unescapedValue(it->second))
                target = *v;
    };
    const auto number = [&](const char* name, int32_t& target) {
        if (auto it = raw.find(name); it != raw.end())
            if (auto v = unescapedValue(it->second))
                if (auto n = integerValue(*v))
                    target = *n;
    };
    const auto flag = [&](const char* name, bool& target) {
        int32_t v = target ? 1 : 0;
        number(name, v);
        target = v != 0;
    };
    text(RemoteValue::HostName, s.host);
    text(RemoteValue::UserName, s.user);
    text(RemoteValue::Prompt, s.prompt);
    text(RemoteValue::LoginReq, s.loginRequest);
    text(RemoteValue::PWDReq, s.passwordRequest);
    text(RemoteValue::Cmd, s.command);
    text(RemoteValue::RPath, s.remotePath);
    flag(RemoteValue::CRonly, s.crOnly);
    number(RemoteValue::MaxTime, s.maxTime);
    flag(RemoteValue::CDetails, s.details);
    number(RemoteValue::FtpPort, s.ftpPort);
    number(RemoteValue::TelnetPort, s.telnetPort);
    flag(RemoteValue::FtpTls, s.ftpTls);
    bool ssh = false;
    flag(RemoteValue::UseSsh, ssh);
    s.connection = ssh ? RemoteConnection::Ssh : RemoteConnection::FtpTelnet;
    number(RemoteValue::SshPort, s.sshPort);
    // As the dialog's spin box holds it: a negative time would end every run
    // at once, a huge one never.
    s.maxTime = std::clamp(s.maxTime, MinMaxTime, MaxMaxTime);
    // As in the dialog: an empty request text would match anything.
    if (s.loginRequest.empty())
        s.loginRequest = DefaultLoginRequest;
    if (s.passwordRequest.empty())
        s.passwordRequest = DefaultPasswordRequest;
    return s;
}

} // namespace vemra
