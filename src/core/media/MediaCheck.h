#pragma once

#include <QString>
#include <QtGlobal>

// Checks on a local media file made before and after it is handed to the player.
namespace mediacheck {

// What an FLV file's own bytes say about how whole it is: a download or recording that
// stopped half-way ends inside a tag, and its onMetaData (written first) still announces
// the full length, with a keyframe index that points past the end of the file.
struct FlvCondition {
    bool isFlv = false;
    bool cutOff = false;        // the file ends inside a tag
    qint64 lastTagMs = -1;      // time of the last whole audio or video tag; -1: none
    double announced = 0.0;     // onMetaData's duration in seconds; 0 when it gives none
    bool indexPastEnd = false;  // a keyframe position of onMetaData lies past the end

    // Seconds of media the file really holds, from its first time 0 to its last whole
    // tag; 0 when there is no whole tag.
    double heldSeconds() const { return lastTagMs >= 0 ? double(lastTagMs) / 1000.0 : 0.0; }
    // It holds less than it announces: the player reaches the end of its data first.
    bool announcesMore() const;
    // Cut off, or announcing more than it holds: the repair tool may help.
    bool looksDamaged() const { return cutOff || indexPastEnd || announcesMore(); }
};

// Reads the FLV header, the onMetaData tag and the tags at the end of path. Any file
// that is not an FLV (or cannot be read) gives isFlv false and nothing else. Reads the
// whole chain of tag headers only when the end is not whole; time grows linearly with
// the file, memory with the onMetaData tag (at most a few megabytes are looked at).
FlvCondition examineFlv(const QString& path);

// The FLV condition of an onMetaData tag body (AMF0: "onMetaData" and an object);
// fills announced and indexPastEnd against fileSize. False when it is no such body.
bool readFlvMetadata(const QByteArray& body, qint64 fileSize, FlvCondition* condition);

}  // namespace mediacheck
