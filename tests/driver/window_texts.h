// What the window shows, under the names the black-box tests use; the texts themselves come
// from the program's own list.
#pragma once

#include "status/status_texts.h"

namespace window_texts {

constexpr char kStatusStopped[] = SPROUT_TEXT_STATUS_STOPPED;
constexpr char kStatusDownloading[] = SPROUT_TEXT_STATUS_DOWNLOADING;
constexpr char kStatusStopping[] = SPROUT_TEXT_STATUS_STOPPING;
constexpr char kButtonFirstStart[] = SPROUT_TEXT_START_SHORT;
constexpr char kButtonStart[] = SPROUT_TEXT_START_DOWNLOAD;
constexpr char kButtonStop[] = SPROUT_TEXT_STOP_DOWNLOAD;
constexpr char kSpeedReset[] = SPROUT_TEXT_SPEED SPROUT_TEXT_NO_RATE;
constexpr char kTimeLeftUnknown[] = SPROUT_TEXT_TIME_LEFT SPROUT_TEXT_UNKNOWN;
constexpr char kFileSizePrefix[] = SPROUT_TEXT_FILE_SIZE;
constexpr char kTimeLeftPrefix[] = SPROUT_TEXT_TIME_LEFT;
constexpr char kSpeedPrefix[] = SPROUT_TEXT_SPEED;
constexpr char kDownloadedPrefix[] = SPROUT_TEXT_DOWNLOADED;

}  // namespace window_texts
