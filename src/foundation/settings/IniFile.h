#pragma once
// The settings store on an INI file of the program's own dialect. A store is
// made either for reading (the file is parsed at once) or for writing (lines are
// collected and replace the file when the store is freed or flushed).
//
// Reading: a line of two characters or fewer is skipped; a line starting with
// "[" is a section header whose name runs to the next-to-last character
// (sections given twice are merged); other lines are "name=value", split at the
// first "=", neither part trimmed. Names and sections compare ignoring case.
#include <memory>
#include <string>
#include <vector>

#include "foundation/settings/SettingsStorage.h"

// One section read from the file: names sorted ignoring case, each with the
// index of its value in the file's order.
class TIniFileGroup {
public:
    struct TName {
        std::string Name;
        int32_t ValueIndex;
    };
    std::vector<TName> Names;
    std::vector<std::string> Values;

    // The value of that name, or nullptr.
    const std::string* Find(const std::string& name) const;
};

class TIniFile : public TSettingsStorage {
public:
    TIniFile(std::string fileName, bool write);
    // A write-mode store saves its lines, replacing the file.
    ~TIniFile() override;

    bool KeyExists(const std::string& name) override;
    void OpenKey(const std::string& name) override;
    bool ReadBool(const std::string& name, bool def) override;
    int32_t ReadInteger(const std::string& name, int32_t minimum, int32_t def, int32_t maximum) override;
    std::string ReadString(const std::string& name, const std::string& def) override;
    void WriteBool(const std::string& name, bool value) override;
    void WriteInteger(const std::string& name, int32_t value) override;
    void WriteString(const std::string& name, const std::string& value) override;

    // Write mode: replaces the file with the lines written so far now, raising
    // EInOutError when it cannot (freeing the store cannot report a failure).
    void Flush();

    const std::string& FileName() const { return FFileName; }
    bool WriteMode() const { return FWrite; }
    // The lines written so far (write mode).
    const std::vector<std::string>& OutputLines() const { return FOutput; }

private:
    struct TSection {
        std::string Name;
        std::unique_ptr<TIniFileGroup> Group;
    };
    void Parse(const std::string& bytes);
    const TSection* FindSection(const std::string& name) const;

    std::string FFileName;
    std::vector<TSection> FSections;  // read mode: sorted by name ignoring case
    std::vector<std::string> FOutput;  // write mode
    bool FWrite;
    bool FSaved = false;
    const TIniFileGroup* FCurrent = nullptr;
};

// Values holding line breaks or NUL bytes cannot stand on one line as they are:
// they are written as "\x01" followed by the text with "%", CR, LF, NUL and
// "\x01" as %HH. Other values are written unchanged.
std::string EncodeIniValue(const std::string& value);
std::string DecodeIniValue(const std::string& stored);
