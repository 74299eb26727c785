#pragma once

#include <QString>

// Checks on a local media file made before it is handed to the player.
namespace mediacheck {

// False when the file is an FLV whose last tag is cut off (a download or recording
// that stopped half-way). Such a file's header still announces the full length, so
// the player would report positions it cannot reach. Any other file gives true.
bool flvTagsComplete(const QString& path);

}  // namespace mediacheck
