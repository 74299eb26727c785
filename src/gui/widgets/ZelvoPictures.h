#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

// The pictures of the image buttons. Transport and list pictures come from the style's
// standard icons (the desktop theme's when it has them); the few the style has no icon
// for (range marks, random play, add, delete) are drawn here, so the program ships no
// image files.
enum class ButtonPicture {
    Play,
    Pause,
    Stop,
    LastItem,
    NextItem,
    Backward,
    Forward,
    Sound,
    SoundMuted,
    RangeStart,
    RangeEnd,
    Open,
    Save,
    Add,
    Delete,
    MoveUp,
    MoveDown,
    RandomPlay,
    AddList,
    DeleteAll,
    Sort,
    Reverse,
    Shuffle,
    SaveFile,
    ToFile,
    StopAll,
};

namespace ZelvoPictures {

// The picture at size × size pixels; never null.
QPixmap picture(ButtonPicture which, int size = 16);

// The icon drawn at exactly size × size pixels, centred and scaled to fit; null when the
// icon is.
QPixmap fromIcon(const QIcon& icon, int size);

// The disabled look of a picture: light grey shades of it, transparency kept.
QPixmap greyed(const QPixmap& picture);

// A copy of picture in which every pixel of colour mask is transparent. Pictures that
// carry their own transparency are returned unchanged.
QPixmap masked(const QPixmap& picture, const QColor& mask);

}  // namespace ZelvoPictures
