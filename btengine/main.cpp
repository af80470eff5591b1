// bt.exe, the real engine: downloads one torrent over BitTorrent into the working directory with
// libtorrent and prints a status block every display interval, then seeds until it is stopped or
// nobody reads its output any more. Every failure is one line on standard error and a non-zero
// exit, never a dialog box.
#include <winsock2.h>
#include <windows.h>

#include <libtorrent/add_torrent_params.hpp>
#include <libtorrent/alert_types.hpp>
#include <libtorrent/session.hpp>
#include <libtorrent/session_params.hpp>
#include <libtorrent/settings_pack.hpp>
#include <libtorrent/torrent_handle.hpp>
#include <libtorrent/torrent_info.hpp>
#include <libtorrent/torrent_status.hpp>

#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "btengine/interval_rate.h"
#include "btengine/win_text.h"
#include "engine_interface/command_line.h"
#include "engine_interface/status_block.h"
#include "framework/owned.h"
#include "framework/whole_file.h"

namespace {

enum ExitCode { kTrouble = 1, kUsage = 2 };

// Raw writes, no C runtime buffering: every write reaches the pipe at once. False when the
// stream takes no more (its reader has gone).
bool Put(DWORD stream, const std::string& bytes)
{
    HANDLE handle = GetStdHandle(stream);
    DWORD written = 0;
    if (!handle || handle == INVALID_HANDLE_VALUE || bytes.empty())
        return true;
    return ::WriteFile(handle, bytes.data(), DWORD(bytes.size()), &written, nullptr) != 0
           && written == bytes.size();
}

// Leaves at once: the session's orderly shutdown waits for trackers, and the pieces written
// so far are on disk already (the next start checks them).
[[noreturn]] void Fail(const std::string& message)
{
    Put(STD_ERROR_HANDLE, "bt.exe: " + message + "\r\n");
    ExitProcess(kTrouble);
}

LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* pointers)
{
    char text[64];
    std::snprintf(text, sizeof(text), "bt.exe: crashed with exception 0x%08lX\r\n",
                  static_cast<unsigned long>(pointers->ExceptionRecord->ExceptionCode));
    Put(STD_ERROR_HANDLE, text);
    return EXCEPTION_EXECUTE_HANDLER;
}

std::string ReadTorrentFile(const std::string& path)
{
    std::unique_ptr<char[]> bytes;
    DWORD size = 0;
    DWORD error = ReadWholeFile(path.c_str(), 64 * 1024 * 1024, &bytes, &size);
    if (error)
        Fail("cannot read the torrent file " + path + ": " + SystemMessage(error));
    if (size == 0)
        Fail("the torrent file " + path + " is empty");
    return std::string(bytes.get(), size);
}

std::shared_ptr<lt::torrent_info> LoadTorrent(const std::string& path)
{
    // Loaded from memory: libtorrent turns a relative path into one in which ".." stays.
    std::string bytes = ReadTorrentFile(path);
    lt::error_code error;
    auto info = std::make_shared<lt::torrent_info>(lt::span<char const>(bytes.data(), long(bytes.size())),
                                                   error, lt::from_span);
    if (error)
        Fail("the torrent file " + path + " is not a valid torrent: " + error.message());
    return info;
}

std::wstring WorkingDirectory()
{
    wchar_t directory[MAX_PATH] = {};
    DWORD length = GetCurrentDirectoryW(MAX_PATH, directory);
    if (length == 0 || length >= MAX_PATH)
        Fail("cannot tell the working directory: " + SystemMessage(GetLastError()));
    return directory;
}

void CheckFolderIsWritable(const std::wstring& folder)
{
    std::wstring probe = folder + L"\\bt-write-test.tmp";
    OwnedFile file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file)
        Fail("cannot write into the save folder " + AnsiFromUtf8(Utf8FromWide(folder)) + ": "
             + SystemMessage(GetLastError()));
}

int64_t FileSizeOrZero(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return int64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// The payload's files are written sparse, so a full disk would only show part way through.
void CheckDiskSpace(const lt::torrent_info& info, const std::wstring& folder)
{
    const lt::file_storage& files = info.files();
    int64_t needed = 0;
    for (lt::file_index_t index : files.file_range()) {
        if (files.pad_file_at(index))
            continue;
        std::wstring path = WideFromUtf8(files.file_path(index, Utf8FromWide(folder)));
        int64_t missing = files.file_size(index) - FileSizeOrZero(path);
        if (missing > 0)
            needed += missing;
    }
    ULARGE_INTEGER available = {};
    if (GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)
        && int64_t(available.QuadPart) < needed)
        Fail("not enough disk space in the save folder: the download needs " + FormatSize(needed)
             + ", " + FormatSize(int64_t(available.QuadPart)) + " are free");
}

// The first port of the range that takes both a TCP listener and a UDP socket, as libtorrent
// will open them; 0 when none does.
int FindFreePort(int minPort, int maxPort)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return 0;
    int found = 0;
    for (int port = minPort; port <= maxPort && found == 0; ++port) {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(u_short(port));
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        bool free = true;
        for (int type : {SOCK_STREAM, SOCK_DGRAM}) {
            SOCKET probe = socket(AF_INET, type, 0);
            BOOL exclusive = TRUE;
            setsockopt(probe, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<char*>(&exclusive),
                       sizeof(exclusive));
            free = free && probe != INVALID_SOCKET
                   && bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
            if (probe != INVALID_SOCKET)
                closesocket(probe);
        }
        if (free)
            found = port;
    }
    WSACleanup();
    return found;
}

lt::settings_pack Settings(int port)
{
    lt::settings_pack settings;
    settings.set_str(lt::settings_pack::listen_interfaces, "0.0.0.0:" + std::to_string(port));
    settings.set_int(lt::settings_pack::alert_mask,
                     lt::alert_category::error | lt::alert_category::status
                         | lt::alert_category::storage);
    // A peer without uTP (many clients) would hold each new connection for seconds before the
    // fallback to TCP; incoming uTP is still taken.
    settings.set_bool(lt::settings_pack::enable_outgoing_utp, false);
    settings.set_int(lt::settings_pack::stop_tracker_timeout, 1);
    // The wait before a failed peer is tried again (times its failures). A peer from a tracker
    // is tried unencrypted first and encrypted only on the next try, so the default minute
    // would hold up every transfer with a peer that takes encrypted connections only
    // (Transmission's or rTorrent's "required").
    settings.set_int(lt::settings_pack::min_reconnect_time, 3);
    settings.set_str(lt::settings_pack::user_agent, "Sprout/1.0");
    return settings;
}

int64_t MicrosecondsNow()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Why a file failed. The payload is written through a mapping of the file, and a full disk
// makes the write fault: Windows calls that an in-page error, which libtorrent reports as no
// space left, but Wine an access violation, which it reports as an I/O error. When less than a
// piece fits on the disk, that is the cause.
std::string FileErrorCause(const lt::file_error_alert& alert, const std::wstring& folder,
                           int pieceLength)
{
    ULARGE_INTEGER available = {};
    if (alert.op == lt::operation_t::file_write
        && GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)
        && available.QuadPart < ULONGLONG(pieceLength))
        return lt::error_code(boost::system::errc::no_space_on_device, lt::generic_category()).message();
    return alert.error.message();
}

// Fatal alerts end the engine with their line; the download's completion goes to the rate; the
// others are the session's own business.
void HandleAlerts(lt::session& session, const std::wstring& folder, int pieceLength,
                  IntervalRate& rate)
{
    std::vector<lt::alert*> alerts;
    session.pop_alerts(&alerts);
    for (lt::alert* alert : alerts) {
        if (lt::alert_cast<lt::torrent_finished_alert>(alert))
            rate.Complete(MicrosecondsNow());
        if (auto* file = lt::alert_cast<lt::file_error_alert>(alert))
            Fail(std::string("cannot write ") + AnsiFromUtf8(file->filename()) + ": "
                 + FileErrorCause(*file, folder, pieceLength));
        if (auto* torrent = lt::alert_cast<lt::torrent_error_alert>(alert))
            Fail(std::string("the download failed: ") + AnsiFromUtf8(torrent->filename()) + ": "
                 + torrent->error.message());
        if (auto* listen = lt::alert_cast<lt::listen_failed_alert>(alert)) {
            if (listen->socket_type == lt::socket_type_t::tcp)
                Fail("cannot listen on port " + std::to_string(listen->port) + ": "
                     + listen->error.message());
        }
    }
}

int RunEngine(const EngineOptions& line)
{
    std::shared_ptr<lt::torrent_info> info = LoadTorrent(line.torrentPath);
    std::wstring folder = WorkingDirectory();
    CheckFolderIsWritable(folder);
    CheckDiskSpace(*info, folder);
    int port = FindFreePort(line.minPort, line.maxPort);
    if (port == 0)
        Fail("no free port between " + std::to_string(line.minPort) + " and "
             + std::to_string(line.maxPort));

    lt::session session(lt::session_params(Settings(port)));
    lt::add_torrent_params params;
    params.ti = info;
    params.save_path = Utf8FromWide(folder);
    params.flags &= ~(lt::torrent_flags::paused | lt::torrent_flags::auto_managed);
    lt::error_code error;
    lt::torrent_handle torrent = session.add_torrent(std::move(params), error);
    if (error)
        Fail("cannot start the download: " + error.message());

    StatusFigures figures;
    figures.name = AnsiFromUtf8(info->name());
    IntervalRate rate(MicrosecondsNow());
    auto interval = std::chrono::milliseconds(line.displayIntervalMs);
    auto due = std::chrono::steady_clock::now() + interval;
    for (;;) {
        auto now = std::chrono::steady_clock::now();
        if (now < due)
            session.wait_for_alert(std::chrono::duration_cast<lt::time_duration>(due - now));
        HandleAlerts(session, folder, info->piece_length(), rate);
        if (std::chrono::steady_clock::now() < due)
            continue;
        due += interval;
        lt::torrent_status status = torrent.status();
        figures.total = status.total_wanted;
        figures.have = status.total_wanted_done;
        // Counted as the bytes go out; the all-time figure follows only once a second.
        figures.uploaded = status.total_payload_upload;
        // Measured here rather than taken from libtorrent, whose rate is updated once a second
        // and would miss a download shorter than that.
        figures.bytesPerSecond = rate.Take(status.total_payload_download, MicrosecondsNow());
        figures.seeds = status.num_seeds;
        figures.peers = status.num_peers - status.num_seeds;
        // Nobody reads the status any more: the front-end is gone, and so is the need to seed.
        if (!Put(STD_OUTPUT_HANDLE, FormatStatusBlock(figures)))
            ExitProcess(kTrouble);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnCrash);
    EngineOptions line;
    std::string error;
    if (!ParseEngineCommandLine(argc, argv, &line, &error)) {
        Put(STD_ERROR_HANDLE, "bt.exe: " + error + "\r\n" + kEngineUsage);
        return kUsage;
    }
    try {
        return RunEngine(line);
    } catch (const std::exception& failure) {
        Fail(failure.what());
    }
}
