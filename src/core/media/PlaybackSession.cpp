#include "core/media/PlaybackSession.h"

PlaybackSession::~PlaybackSession() = default;
