#include "synth/IniStore.h"

#include "plugin/WholeFile.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace {

std::string folded(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool sameText(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0;
}

bool lessText(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

std::string trimmed(const std::string& text, const char* blanks) {
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

// Surrounding blanks and one pair of enclosing quotes are not part of a value.
std::string valueForReading(const std::string& stored) {
    std::string value = trimmed(stored, " \t");
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

int copyOut(const std::string& text, char* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    const int n = std::min(static_cast<int>(text.size()), size - 1);
    std::memcpy(buffer, text.data(), static_cast<size_t>(n));
    buffer[n] = '\0';
    return n;
}

bool statFile(const std::string& path, int64_t* mtimeNs, int64_t* size) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    *mtimeNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    *size = static_cast<int64_t>(info.st_size);
    return true;
}

} // namespace

IniStore& IniStore::instance() {
    static IniStore store;
    return store;
}

void IniStore::clearCache() {
    std::lock_guard<std::mutex> lock(mutex);
    cache.clear();
}

IniStore::File* IniStore::open(const char* path) {
    if (!path || !path[0]) return nullptr;
    auto found = std::find_if(cache.begin(), cache.end(),
                              [path](const File& file) { return sameText(file.path, path); });
    if (found == cache.end()) {
        if (static_cast<int>(cache.size()) < kCacheSize) {
            cache.emplace_back();
            found = cache.end() - 1;
        } else {
            found = std::min_element(cache.begin(), cache.end(),
                                     [](const File& a, const File& b) { return a.lastUse < b.lastUse; });
        }
        *found = File{};
        found->path = path;
        readFromDisk(&*found);
    } else {
        int64_t mtimeNs = 0;
        int64_t size = 0;
        const bool exists = statFile(found->path, &mtimeNs, &size);
        if (exists != found->exists || mtimeNs != found->mtimeNs || size != found->size)
            readFromDisk(&*found);
    }
    found->lastUse = ++useCounter;
    return &*found;
}

void IniStore::readFromDisk(File* file) {
    file->sections.clear();
    file->sectionIndex.clear();
    file->exists = statFile(file->path, &file->mtimeNs, &file->size);
    if (!file->exists) return;
    const int fd = ::open(file->path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    // Another process may be rewriting it; its lock is on the temporary file, ours keeps out writers
    // that write in place.
    ::flock(fd, LOCK_SH);
    std::string text;
    char block[65536];
    while (text.size() < kMaxFileSize) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(
            block, static_cast<size_t>(std::min<size_t>(static_cast<size_t>(n), kMaxFileSize - text.size())));
    }
    ::flock(fd, LOCK_UN);
    ::close(fd);
    parse(text, file);
}

void IniStore::parse(const std::string& text, File* file) {
    const std::string_view all = text;
    Section* section = nullptr;
    size_t lineStart = 0;
    while (lineStart < all.size()) {
        if (!section && lineStart >= kMaxTextBeforeSection) break;
        size_t lineEnd = all.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = all.size();
        std::string_view line = all.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        const size_t last = line.find_last_not_of(" \t\r\n");
        if (last == std::string_view::npos) continue;
        line = line.substr(0, last + 1);
        line.remove_prefix(line.find_first_not_of(" \t"));
        if (line[0] == '[') {
            const size_t close = line.find(']');
            if (close == std::string_view::npos) continue;
            const std::string name(line.substr(1, close - 1));
            const auto [at, added] = file->sectionIndex.try_emplace(folded(name), file->sections.size());
            if (added) {
                file->sections.push_back(Section{name, {}, {}});
                section = &file->sections.back();
            } else {
                // A section met again starts over.
                section = &file->sections[at->second];
                section->keys.clear();
                section->keyIndex.clear();
            }
            continue;
        }
        const size_t equals = line.find('=');
        if (!section || equals == std::string_view::npos || equals == 0) continue;
        const std::string name(line.substr(0, equals));
        const auto [at, added] = section->keyIndex.try_emplace(folded(name), section->keys.size());
        if (added)
            section->keys.push_back(Key{name, std::string(line.substr(equals + 1))});
        else
            section->keys[at->second].value = line.substr(equals + 1);
    }
}

IniStore::Section* IniStore::findSection(File* file, const char* name) {
    const auto found = file->sectionIndex.find(folded(name));
    return found == file->sectionIndex.end() ? nullptr : &file->sections[found->second];
}

IniStore::Key* IniStore::findKey(Section* section, const char* name) {
    const auto found = section->keyIndex.find(folded(name));
    return found == section->keyIndex.end() ? nullptr : &section->keys[found->second];
}

IniStore::Section* IniStore::addSection(File* file, const std::string& name) {
    file->sectionIndex.emplace(folded(name), file->sections.size());
    file->sections.push_back(Section{name, {}, {}});
    return &file->sections.back();
}

void IniStore::addKey(Section* section, const std::string& name, const std::string& value) {
    section->keyIndex.emplace(folded(name), section->keys.size());
    section->keys.push_back(Key{name, value});
}

void IniStore::reindex(File* file) {
    file->sectionIndex.clear();
    for (size_t i = 0; i < file->sections.size(); ++i)
        file->sectionIndex.emplace(folded(file->sections[i].name), i);
}

void IniStore::reindex(Section* section) {
    section->keyIndex.clear();
    // The first of equal names is the one found, as a search from the start would.
    for (size_t i = 0; i < section->keys.size(); ++i)
        section->keyIndex.emplace(folded(section->keys[i].name), i);
}

bool IniStore::rewrite(File* file) {
    std::sort(file->sections.begin(), file->sections.end(),
              [](const Section& a, const Section& b) { return lessText(a.name, b.name); });
    std::string text;
    reindex(file);
    for (Section& section : file->sections) {
        std::sort(section.keys.begin(), section.keys.end(),
                  [](const Key& a, const Key& b) { return lessText(a.name, b.name); });
        reindex(&section);
        text += "[" + section.name + "]\n";
        for (const Key& key : section.keys)
            if (!key.name.empty()) text += key.name + "=" + key.value + "\n";
        text += "\n";
    }

    const std::string temporary = WholeFile::siblingName(file->path, ".new");
    // Writers of other processes share the temporary name. Whoever holds the lock on the file that
    // still carries that name writes it; a lock won on a file another writer has already renamed
    // away is worthless, so it is given up and the name opened again.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) return false;
        if (::flock(fd, LOCK_EX) != 0) {
            ::close(fd);
            return false;
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) != 0 || ::stat(temporary.c_str(), &named) != 0 ||
            held.st_ino != named.st_ino || held.st_dev != named.st_dev) {
            ::close(fd);
            continue;
        }
        const bool ok = WholeFile::commitReplacing(fd, temporary, file->path, text.data(), text.size());
        ::close(fd);
        if (ok) file->exists = statFile(file->path, &file->mtimeNs, &file->size);
        return ok;
    }
    return false;
}

int IniStore::GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                      char* buffer, int size, const char* path) {
    std::lock_guard<std::mutex> lock(mutex);
    File* file = open(path);
    if (file && section && key) {
        Section* found = findSection(file, section);
        Key* value = found ? findKey(found, key) : nullptr;
        if (value) return copyOut(valueForReading(value->value), buffer, size);
    }
    return copyOut(valueForReading(defaultValue ? defaultValue : ""), buffer, size);
}

bool IniStore::WritePrivateProfileString(const char* section, const char* key, const char* value,
                                         const char* path) {
    if (!section || (key && !key[0])) return false;
    std::lock_guard<std::mutex> lock(mutex);
    File* file = open(path);
    if (!file) return false;
    Section* found = findSection(file, section);
    if (!key) {
        if (!found) return false;
        file->sections.erase(file->sections.begin() + (found - file->sections.data()));
        reindex(file);
        return rewrite(file);
    }
    Key* stored = found ? findKey(found, key) : nullptr;
    if (!value) {
        if (!stored) return false;
        found->keys.erase(found->keys.begin() + (stored - found->keys.data()));
        reindex(found);
        return rewrite(file);
    }
    if (stored && stored->value == value) return false;
    if (stored) {
        stored->value = value;
    } else {
        if (!found) found = addSection(file, section);
        addKey(found, key, value);
    }
    return rewrite(file);
}

bool IniStore::WritePrivateProfileSection(const char* section, const char* text, const char* path) {
    if (!section) return false;
    std::lock_guard<std::mutex> lock(mutex);
    File* file = open(path);
    if (!file) return false;
    std::vector<Key> keys;
    for (const char* entry = text; entry && *entry; entry += std::strlen(entry) + 1) {
        const char* equals = std::strchr(entry, '=');
        if (!equals || equals == entry) continue;
        keys.push_back(Key{std::string(entry, equals), equals + 1});
    }
    Section* found = findSection(file, section);
    if (!found) {
        if (keys.empty()) return false;
        found = addSection(file, section);
    }
    found->keys = std::move(keys);
    reindex(found);
    return rewrite(file);
}
