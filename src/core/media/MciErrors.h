#pragma once

// The error numbers mciSendString answers with. They keep MCI's own values so that
// callers (and anyone reading a log) can tell the failures apart; 0 is success.
namespace mcierr {
inline constexpr int kNone = 0;
inline constexpr int kInvalidDeviceId = 257;
inline constexpr int kUnrecognizedKeyword = 259;
inline constexpr int kUnrecognizedCommand = 261;
inline constexpr int kHardware = 262;
inline constexpr int kInvalidDeviceName = 263;
inline constexpr int kCannotLoadDriver = 266;
inline constexpr int kMissingCommandString = 267;
inline constexpr int kBadInteger = 270;
inline constexpr int kMissingParameter = 273;
inline constexpr int kUnsupportedFunction = 274;
inline constexpr int kFileNotFound = 275;
inline constexpr int kDeviceNotReady = 276;
inline constexpr int kInternal = 277;
inline constexpr int kOutOfRange = 282;
inline constexpr int kDuplicateAlias = 289;
inline constexpr int kBadConstant = 290;
inline constexpr int kMissingDeviceName = 292;
inline constexpr int kBadTimeFormat = 293;
inline constexpr int kNoClosingQuote = 294;
inline constexpr int kInvalidFile = 296;
inline constexpr int kNonapplicableFunction = 302;
inline constexpr int kExtraCharacters = 305;
inline constexpr int kNoWindow = 346;
}  // namespace mcierr
