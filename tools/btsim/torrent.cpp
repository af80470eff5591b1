// Torrent reading and writing on top of the bencode tree.
#include "tools/btsim/torrent.h"

#include "tools/btsim/bencode.h"
#include "tools/btsim/sha1.h"

namespace {

// A name or path part that stays inside the directory it is joined to.
bool SafePathPart(const std::string& part)
{
    if (part.empty() || part == "." || part == "..")
        return false;
    for (char c : part) {
        if (c == '/' || c == '\\' || c == ':' || c == '\0')
            return false;
    }
    return true;
}

bool Fail(std::string* error, const std::string& reason)
{
    *error = reason;
    return false;
}

bool ReadLength(const Bencode* value, int64_t* length)
{
    if (!value || value->kind != Bencode::Kind::Integer || value->integer < 0)
        return false;
    *length = value->integer;
    return true;
}

bool ReadFiles(const Bencode& list, Torrent* torrent, std::string* error)
{
    if (list.kind != Bencode::Kind::List || list.list.empty())
        return Fail(error, "'files' is not a list of files");
    for (const Bencode& entry : list.list) {
        TorrentFile file;
        if (!ReadLength(entry.Find("length"), &file.length))
            return Fail(error, "a file has no valid 'length'");
        const Bencode* path = entry.Find("path");
        if (!path || path->kind != Bencode::Kind::List || path->list.empty())
            return Fail(error, "a file has no valid 'path'");
        for (const Bencode& part : path->list) {
            if (part.kind != Bencode::Kind::String || !SafePathPart(part.string))
                return Fail(error, "a file has an unsafe or empty path part");
            file.path.push_back(part.string);
        }
        torrent->files.push_back(file);
    }
    return true;
}

}  // namespace

int64_t Torrent::TotalLength() const
{
    int64_t total = 0;
    for (const TorrentFile& file : files)
        total += file.length;
    return total;
}

bool ParseTorrent(const std::string& bytes, Torrent* torrent, std::string* error)
{
    Bencode root;
    std::string reason;
    if (!ParseBencode(bytes, &root, &reason))
        return Fail(error, "not a torrent file (bencode: " + reason + ")");
    const Bencode* info = root.Find("info");
    if (!info || info->kind != Bencode::Kind::Dictionary)
        return Fail(error, "not a torrent file (no 'info' dictionary)");
    const Bencode* name = info->Find("name");
    if (!name || name->kind != Bencode::Kind::String || !SafePathPart(name->string))
        return Fail(error, "torrent has no valid 'name'");
    *torrent = Torrent();
    torrent->name = name->string;
    const Bencode* files = info->Find("files");
    if (files) {
        torrent->multiFile = true;
        if (!ReadFiles(*files, torrent, error))
            return false;
    } else {
        TorrentFile file;
        if (!ReadLength(info->Find("length"), &file.length))
            return Fail(error, "torrent has neither a valid 'length' nor 'files'");
        torrent->files.push_back(file);
    }
    int64_t total = 0;
    for (const TorrentFile& file : torrent->files) {
        if (file.length > INT64_MAX / 2 - total)
            return Fail(error, "torrent payload is impossibly large");
        total += file.length;
    }
    const Bencode* pieceLength = info->Find("piece length");
    const Bencode* pieces = info->Find("pieces");
    if (pieceLength && (!ReadLength(pieceLength, &torrent->pieceLength) || torrent->pieceLength == 0))
        return Fail(error, "torrent has an invalid 'piece length'");
    if (pieces) {
        if (pieces->kind != Bencode::Kind::String || pieces->string.size() % 20 != 0)
            return Fail(error, "torrent has an invalid 'pieces' string");
        torrent->pieces = pieces->string;
    }
    return true;
}

int64_t ChoosePieceLength(int64_t totalLength)
{
    int64_t length = 16 * 1024;
    while (length < (int64_t(1) << 30) && totalLength / length > 1500)
        length *= 2;
    return length;
}

TorrentMaker::TorrentMaker(const std::string& name, bool multiFile, int64_t pieceLength)
{
    m_torrent.name = name;
    m_torrent.multiFile = multiFile;
    m_torrent.pieceLength = pieceLength;
}

void TorrentMaker::AddFile(const std::vector<std::string>& path, int64_t length)
{
    TorrentFile file;
    file.path = path;
    file.length = length;
    m_torrent.files.push_back(file);
}

void TorrentMaker::Feed(const char* data, size_t size)
{
    m_fed += int64_t(size);
    while (size > 0) {
        size_t room = size_t(m_torrent.pieceLength) - m_piece.size();
        size_t take = size < room ? size : room;
        m_piece.append(data, take);
        data += take;
        size -= take;
        if (m_piece.size() == size_t(m_torrent.pieceLength))
            EndPiece();
    }
}

void TorrentMaker::EndPiece()
{
    m_torrent.pieces += Sha1Digest(m_piece);
    m_piece.clear();
}

bool TorrentMaker::Finish(const std::string& announce, std::string* bytes, std::string* error)
{
    if (m_fed != m_torrent.TotalLength())
        return Fail(error, "payload changed while it was read");
    if (!m_piece.empty())
        EndPiece();
    Bencode info = Bencode::Dictionary();
    info.dictionary["name"] = Bencode::String(m_torrent.name);
    info.dictionary["piece length"] = Bencode::Integer(m_torrent.pieceLength);
    info.dictionary["pieces"] = Bencode::String(m_torrent.pieces);
    if (m_torrent.multiFile) {
        Bencode files = Bencode::List();
        for (const TorrentFile& file : m_torrent.files) {
            Bencode entry = Bencode::Dictionary();
            entry.dictionary["length"] = Bencode::Integer(file.length);
            Bencode path = Bencode::List();
            for (const std::string& part : file.path)
                path.list.push_back(Bencode::String(part));
            entry.dictionary["path"] = path;
            files.list.push_back(entry);
        }
        info.dictionary["files"] = files;
    } else {
        info.dictionary["length"] = Bencode::Integer(m_torrent.TotalLength());
    }
    Bencode root = Bencode::Dictionary();
    root.dictionary["announce"] = Bencode::String(announce);
    root.dictionary["created by"] = Bencode::String("bt.exe (Sprout simulated engine)");
    root.dictionary["info"] = info;
    *bytes = EncodeBencode(root);
    return true;
}
