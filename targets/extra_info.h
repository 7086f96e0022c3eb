// Extended information of one target: what its detail window shows, as
// texts. The window (extra_info_window.h) only creates the labels named here
// and writes the texts it is given.
//
// The window is a set of frames, each a caption and a column of captioned
// value labels. A value label is named "<frame>_<key>", for example
// "framePositionReport_SOG"; the two channel frames of the communication state
// are "frameChannel_0" (channel A) and "frameChannel_1" (channel B).
//
//   ExtraInfoLayout layout = ExtraInfoLayoutFor(t);      // frames and types to fill
//   for (int type : ExtraInfoFillOrder(t, layout.typesOnOpen))
//       for (const LabelText& l : FillExtraInfo(t, type)) label(l.name)->setText(l.text);
//
// Every value label starts as "n/a". Numbers use the program's picture
// formatter, so -9999 (not available) shows as "n/a".
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "targets/target_table.h"

namespace targets {

enum class InfoFrame : int {
    PositionReport,
    StaticVoyageReport,
    BaseStation,
    SARAircraft,
    ClassB,
    ClassB2,
    AtoNReport,
    Message24A,
    Message24B,
    SpecialReports,
    CommState,
    kCount
};

struct InfoField {
    const char* key;      // part of the value label's name
    const char* caption;  // text of the caption label beside it
};

struct InfoFrameDesign {
    const char* name;     // objectName of the frame
    const char* caption;  // the frame's title
    std::vector<InfoField> fields;
};

const InfoFrameDesign& FrameDesign(InfoFrame frame);

// The two channel frames inside the communication state frame.
inline constexpr std::array<const char*, 2> kChannelFrameNames = {"frameChannel_0", "frameChannel_1"};
inline constexpr std::array<const char*, 2> kChannelFrameCaptions = {"Last Channel A msg", "Last Channel B msg"};
const std::vector<InfoField>& ChannelFields();

inline constexpr const char* kStatisticsFrameName = "frmMsgStatistics";
inline constexpr const char* kStatisticsFrameCaption = "Msg Statistics";
inline constexpr const char* kNotAvailableText = "n/a";

std::string ValueLabelName(std::string_view frameName, std::string_view key);

struct LabelText {
    std::string name;
    std::string text;
    bool operator==(const LabelText&) const = default;
};

// Texts written for a message of `type`: the frame of that type, the
// communication state when the type carries one, and the special reports.
// The statistics are not included (statistics.h makes those). Labels that
// describe the message itself (message and channel, communication state) are
// written only once a message of the type has been received.
std::vector<LabelText> FillExtraInfo(const TargetRecord& t, int type);

// Frames shown for the target's class, in two columns: the first frame of the
// left column stands where the position report stands for a class A vessel,
// the second where its static and voyage report stands. The statistics frame
// is always shown below both columns.
struct ExtraInfoLayout {
    std::vector<InfoFrame> left;
    std::vector<InfoFrame> right;
    std::vector<int> typesOnOpen;  // message types filled when the window opens
    bool operator==(const ExtraInfoLayout&) const = default;
};
ExtraInfoLayout ExtraInfoLayoutFor(const TargetRecord& t);

// The order in which to fill `types` so that the latest message is written
// last: types never received first (as given), then received ones by the
// time of their last message.
std::vector<int> ExtraInfoFillOrder(const TargetRecord& t, const std::vector<int>& types);

// Header labels: MMSI with nine digits, the class text, the country.
struct ExtraInfoHeader {
    std::string mmsi;
    std::string classText;
    std::string nationality;
    bool operator==(const ExtraInfoHeader&) const = default;
};
ExtraInfoHeader ExtraInfoHeaderFor(const TargetRecord& t);

// Caption when the window opens: the name and two blanks, or "  MMSI :" and
// the MMSI for an unnamed target; " (Own ship)" appended for our own ship.
std::string ExtraInfoCaption(const TargetRecord& t);
// The caption once the name of a target opened unnamed has arrived ("<name> -
// Extended Info"); nothing when the caption is to stay.
std::optional<std::string> ExtraInfoCaptionUpdate(std::string_view caption, const TargetRecord& t);

// Dimensions for the hull sketch: A to D of the static report, or of the
// static data report part B when the former are all 0.
std::array<int, 4> SketchDimensions(const TargetRecord& t);

// Placement of a new window, in twips. The first window of a run goes 3000
// twips right of the main window's left edge; each later one 400 further
// right, back to 3000 once it would start within 1000 twips of the main
// window's right edge. Its top is the main window's top plus the height of
// the click within the list.
struct ExtraInfoPlacement {
    bool placedBefore = false;
    int lastLeft = 0;
};
struct TwipsPoint {
    int left = 0;
    int top = 0;
    bool operator==(const TwipsPoint&) const = default;
};
TwipsPoint NextExtraInfoPlace(ExtraInfoPlacement& state, int mainLeft, int mainTop, int mainWidth, int clickY);

}  // namespace targets
