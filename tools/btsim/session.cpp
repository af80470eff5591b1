// Session: rate arithmetic over the whole run, so that rounding never drifts.
#include "tools/btsim/session.h"

#include "engine_interface/status_block.h"

Session::Session(const Torrent& torrent, PayloadStore& store, int64_t bytesPerSecond)
    : m_name(torrent.name), m_payload(torrent, store), m_bytesPerSecond(bytesPerSecond)
{
}

bool Session::Start(std::string* error) { return m_payload.Resume(error); }

bool Session::Tick(int64_t nowMs, std::string* block, std::string* error)
{
    int64_t allowed = nowMs > 0 && m_bytesPerSecond > 0
                          ? int64_t(double(m_bytesPerSecond) * double(nowMs) / 1000.0)
                          : 0;
    int64_t before = m_payload.Have();
    if (allowed > m_written && !m_payload.Advance(allowed - m_written, error))
        return false;
    int64_t got = m_payload.Have() - before;
    m_written += got;
    int64_t intervalMs = nowMs - m_lastTickMs;
    m_lastTickMs = nowMs;
    int64_t upload = intervalMs > 0 ? m_bytesPerSecond / 4 * intervalMs / 1000 : 0;
    m_uploaded += upload;

    StatusFigures figures;
    figures.name = m_name;
    figures.total = m_payload.Total();
    figures.have = m_payload.Have();
    figures.uploaded = m_uploaded;
    figures.bytesPerSecond = intervalMs > 0 ? got * 1000 / intervalMs : 0;
    *block = FormatStatusBlock(figures);
    return true;
}
