#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

// The process-wide store of INI files, with the behaviour of the Win32 profile calls it is named
// after. Parsed files are cached (at most kCacheSize, least recently used replaced) and parsed again
// when their modification time or size changes. Every change rewrites the whole file, sections and
// keys sorted as text without regard to case, through a temporary file renamed over the original.
class IniStore {
public:
    static constexpr int kCacheSize = 32;
    // While no section has been found, reading gives up after this much text.
    static constexpr size_t kMaxTextBeforeSection = 256 * 1024;
    // Files beyond this size are read only up to it.
    static constexpr size_t kMaxFileSize = 64 * 1024 * 1024;

    static IniStore& instance();

    // The value, or the default (empty for null), into buffer (at most size - 1 characters and a
    // terminator); returns the length copied.
    int GetPrivateProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                                int size, const char* file);
    // Sets a key; a null value deletes the key, a null key the section. False when nothing was
    // written to disk (no change, or the rewrite failed).
    bool WritePrivateProfileString(const char* section, const char* key, const char* value, const char* file);
    // Replaces all keys of a section by the key=value entries of a list of NUL-terminated strings
    // ended by an empty string.
    bool WritePrivateProfileSection(const char* section, const char* text, const char* file);

    // Forgets every cached file (tests).
    void clearCache();

private:
    struct Key {
        std::string name;
        std::string value;
    };
    // Names are found through an index by their lower-case text, so that files of any shape (many
    // sections, one huge section) read and update in linear time.
    using Index = std::unordered_map<std::string, size_t>;
    struct Section {
        std::string name;
        std::vector<Key> keys;
        Index keyIndex;
    };
    struct File {
        std::string path;
        bool exists = false;
        int64_t mtimeNs = 0;
        int64_t size = 0;
        uint64_t lastUse = 0;
        std::vector<Section> sections;
        Index sectionIndex;
    };

    IniStore() = default;

    File* open(const char* path);
    static void parse(const std::string& text, File* file);
    static void readFromDisk(File* file);
    static bool rewrite(File* file);
    static Section* findSection(File* file, const char* name);
    static Key* findKey(Section* section, const char* name);
    static Section* addSection(File* file, const std::string& name);
    static void addKey(Section* section, const std::string& name, const std::string& value);
    // After sections or keys were erased, replaced or reordered.
    static void reindex(File* file);
    static void reindex(Section* section);

    std::mutex mutex;
    std::vector<File> cache;
    uint64_t useCounter = 0;
};
