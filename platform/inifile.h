#pragma once
// Private-profile ("INI") files with the platform's rules: section and key names without regard to
// case; blanks around names, values and inside "[ ]" ignored; a value wholly in double quotes loses
// them on reading; a line without "=" is no key; the first of two equal sections or keys wins;
// comment lines and lines we do not understand are kept on write; a new key goes to the end of its
// section, a new section to the end of the file; CRLF written, CRLF or LF read.
//
// A name without a directory part lies in the "Windows directory" (WindowsDirectory()).
#include <string>
#include <vector>

namespace plat {

// $XDG_CONFIG_HOME/quarver (default ~/.config/quarver), created when needed. A host path.
std::string WindowsDirectory();
// Where a private-profile name lies on the host: bare names in WindowsDirectory(), others through
// HostPath().
std::string ProfileHostPath(const std::string& name);

class IniFile {
public:
    explicit IniFile(std::string name); // program path or bare name
    // Reads the file; a missing file is an empty profile and not an error.
    bool Load();
    // Writes the whole file through a temporary file and a rename. False with LastError set.
    bool Save() const;

    // At most 1023 characters are returned, as the platform's read buffer holds 1024.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // Decimal; hexadecimal after "$" or, for texts longer than two characters, after "0x" (either
    // case of x); anything unreadable or missing gives the default.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    bool HasKey(const std::string& section, const std::string& key) const;
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void EraseSection(const std::string& section);

    const std::string& HostFileName() const { return hostPath_; }
    const std::string& Name() const { return name_; }

private:
    std::string name_;
    std::string hostPath_;
    std::vector<std::string> lines_; // as read, without line ends
    bool loadFailed_ = false;        // an unreadable file is never overwritten
};

// The integer reading rule alone, for values that arrive as text.
int ReadIntegerText(const std::string& text, int defaultValue);

// One-shot forms of the platform's private-profile calls.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& file);
int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& file);
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file);

} // namespace plat
