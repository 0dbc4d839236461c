#pragma once
// The commands the clock understands, as the exact bytes written in one
// write, and the builders for the ones that carry an argument.
// Pure functions of their inputs; no member raises; any thread.
// Text arguments are sent unchanged (CP1252 bytes as typed).
#include <cstdint>
#include <string>
#include <string_view>

#include "support/conversion.h"

namespace sk {

namespace ClockCommand {

inline constexpr std::string_view Identify = "/ID";
inline constexpr std::string_view SetClockPrefix = "/SC";
inline constexpr std::string_view DisplayMode0 = "/DM0";
inline constexpr std::string_view DisplayMode1 = "/DM1";
inline constexpr std::string_view DisplayMode2 = "/DM2";
inline constexpr std::string_view DisplayMode3 = "/DM3";
inline constexpr std::string_view DisplayMode4 = "/DM4";
inline constexpr std::string_view DisplayMode6 = "/DM6\r\n";
inline constexpr std::string_view SoundOn = "/SND1";
inline constexpr std::string_view SoundOff = "/SND0";
inline constexpr std::string_view PreWarningOn = "/S101";
inline constexpr std::string_view PreWarningOff = "/S100";
inline constexpr std::string_view IntervalPrefix = "/SI";
inline constexpr std::string_view FirstStartPrefix = "/SS";
inline constexpr std::string_view MakeClass = "/MAKEC";
inline constexpr std::string_view ClassFromPrefix = "/CF";
inline constexpr std::string_view ClassToPrefix = "/CT";
inline constexpr std::string_view ClassStartPrefix = "/CS";
inline constexpr std::string_view ClassIntervalPrefix = "/CI";
inline constexpr std::string_view ClassCountPrefix = "/CP";
inline constexpr std::string_view ClassSave = "/CLASSAVE";
inline constexpr std::string_view ClassEnd = "/CE";
inline constexpr std::string_view ShowList = "/SHOWLIST";
inline constexpr std::string_view EraseList = "/ERASELIST\r\n";
inline constexpr std::string_view ListOn = "/EON\r\n";
inline constexpr std::string_view ResetGate = "/RGATE\r\n";
inline constexpr std::string_view SetGatePrefix = "/SGATE0";
inline constexpr std::string_view ReceiveList = "/RECVLIST\r\n";
inline constexpr std::string_view PursuitEnd = "/PUREND\r\n";
inline constexpr std::string_view PcExit = "/PCEXIT";
inline constexpr std::string_view ListOff = "/EOFF";
inline constexpr std::string_view PcSlave = "/PCSLAVE";
inline constexpr std::string_view RemoveScrollText = "/RBT";
inline constexpr std::string_view EraseFlash = "/ERASEFLASH\r\n";
// The firmware loader's two fixed service codes, with their LF.
inline constexpr std::string_view ServiceCode1 = "/RE7D2C9\n";
inline constexpr std::string_view ServiceCode2 = "3857\n";
inline constexpr std::string_view LineEnd = "\r\n";

// "/SC" + HHMMSS.
std::string SetClock(const TimeOfDay& time);
// "/SS" + HHMMSS (first start).
std::string FirstStart(const TimeOfDay& time);
// "/SI" + the interval field's text after IntervalText.
std::string Interval(std::string_view intervalFieldText);
// "/SND1" / "/SND0".
std::string_view Sound(bool on);
// "/S101" / "/S100".
std::string_view PreWarning(bool on);
// Mode item of `rbModus` for the setup ("Oppdater intervall", "Sett modus"):
// 0 -> "/DM1", 1 -> "/DM2", anything else -> "/DM3".
std::string_view SetupMode(int modeItem);
// Mode item for the sound update ("Oppdater lydvalg"): 0 -> "/DM0",
// 1 -> "/DM1", 2 -> "/DM2", anything else -> "/DM3".
std::string_view SoundUpdateMode(int modeItem);
// Class table commands: "/CF" and "/CT" zero-filled to 4, "/CI" to 3,
// "/CS" + HHMMSS, "/CP" + the cell text unchanged.
std::string ClassFrom(std::int32_t number);
std::string ClassTo(std::int32_t number);
std::string ClassStart(const TimeOfDay& time);
std::string ClassInterval(std::int32_t number);
std::string ClassCount(std::string_view text);
// "/SGATE0" + the corridor field as typed + "\r\n".
std::string SetGate(std::string_view corridor);
// A pursuit-start list line: trimmed, each "," replaced by ";" (the "\r\n"
// goes in a write of its own).
std::string ListLine(std::string_view fileLine);
// The display line: "1" when the board field is exactly "1" (else nothing),
// the upper line right-aligned in at least six characters, the lower line as
// typed, then "\r\n".
std::string DisplayLine(std::string_view boardField, std::string_view upper,
                        std::string_view lower);
// A firmware record as stored, with its "\n".
std::string FirmwareRecord(std::string_view record);

}  // namespace ClockCommand

// Decimal text of number with "0" put in front while shorter than width;
// never cut. A negative number gets its zeros before the sign (-5, 4 -> "00-5").
std::string LeftPad(std::int32_t number, int width);

// The interval field's text for "/SI": one character gets "00" in front, two
// get "0", any other length is unchanged.
std::string IntervalText(std::string_view fieldText);

}  // namespace sk
