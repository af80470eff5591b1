// Walks the payload (a folder's files in name order, depth first), then hashes it piece by piece.
#include "tools/btsim/win_make_torrent.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "framework/owned.h"
#include "tools/btsim/torrent.h"

namespace {

struct FoundFile {
    std::string diskPath;
    std::vector<std::string> parts;  // below the payload folder
    int64_t length = 0;
};

int64_t SizeOf(const WIN32_FIND_DATAA& found)
{
    return int64_t(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
}

void ListFolder(const std::string& folder, const std::vector<std::string>& parts,
                std::vector<FoundFile>* files)
{
    std::vector<WIN32_FIND_DATAA> entries;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (lstrcmpA(found.cFileName, ".") != 0 && lstrcmpA(found.cFileName, "..") != 0)
            entries.push_back(found);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(entries.begin(), entries.end(), [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
        return lstrcmpA(a.cFileName, b.cFileName) < 0;
    });
    for (const WIN32_FIND_DATAA& entry : entries) {
        std::vector<std::string> entryParts = parts;
        entryParts.push_back(entry.cFileName);
        std::string path = folder + "\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFolder(path, entryParts, files);
        } else {
            files->push_back({path, entryParts, SizeOf(entry)});
        }
    }
}

bool FeedFile(const std::string& path, TorrentMaker* maker, std::string* error)
{
    OwnedFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        *error = "cannot open " + path;
        return false;
    }
    std::vector<char> buffer(64 * 1024);
    DWORD got = 0;
    bool ok;
    while ((ok = ::ReadFile(file.get(), buffer.data(), DWORD(buffer.size()), &got, nullptr))
           && got > 0)
        maker->Feed(buffer.data(), got);
    if (!ok)
        *error = "cannot read " + path;
    return ok;
}

std::string LastPart(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && (trimmed.back() == '\\' || trimmed.back() == '/'))
        trimmed.pop_back();
    size_t slash = trimmed.find_last_of("\\/:");
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

}  // namespace

bool MakeTorrentFile(const std::string& payloadPath, const std::string& outputPath,
                     const std::string& announce, std::string* error)
{
    WIN32_FIND_DATAA found;
    std::string payload = payloadPath;
    while (payload.size() > 3 && (payload.back() == '\\' || payload.back() == '/'))
        payload.pop_back();
    HANDLE search = FindFirstFileA(payload.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        *error = "no such file or folder: " + payloadPath;
        return false;
    }
    FindClose(search);
    bool multiFile = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::vector<FoundFile> files;
    if (multiFile)
        ListFolder(payload, {}, &files);
    else
        files.push_back({payload, {}, SizeOf(found)});
    if (files.empty()) {
        *error = "folder holds no files: " + payloadPath;
        return false;
    }
    int64_t total = 0;
    for (const FoundFile& file : files)
        total += file.length;
    TorrentMaker maker(LastPart(payload), multiFile, ChoosePieceLength(total));
    for (const FoundFile& file : files)
        maker.AddFile(file.parts, file.length);
    for (const FoundFile& file : files) {
        if (!FeedFile(file.diskPath, &maker, error))
            return false;
    }
    std::string bytes;
    if (!maker.Finish(announce, &bytes, error))
        return false;
    OwnedFile out(CreateFileA(outputPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) {
        *error = "cannot create " + outputPath;
        return false;
    }
    DWORD written = 0;
    bool ok = ::WriteFile(out.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr)
              && written == bytes.size();
    if (!ok)
        *error = "cannot write " + outputPath;
    return ok;
}
