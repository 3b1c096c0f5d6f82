#include "IPlug/IMidiMsg.h"

#include "IPlug/IParam.h"

namespace
{
unsigned char StatusByte(IMidiMsg::EStatusMsg kind, int channel)
{
  return (unsigned char) ((kind << 4) | (channel & 0x0F));
}
} // namespace

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel)
{
  mOffset = offset;
  mStatus = StatusByte(kNoteOn, channel);
  mData1 = (unsigned char) noteNumber;
  mData2 = (unsigned char) velocity;
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel)
{
  mOffset = offset;
  mStatus = StatusByte(kNoteOff, channel);
  mData1 = (unsigned char) noteNumber;
  mData2 = 0;
}

void IMidiMsg::MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel)
{
  // Outside 0..1 the product would leave the 7 bits of a data byte.
  if (!(value > 0.0)) value = 0.0;
  if (value > 1.0) value = 1.0;
  mOffset = 0;
  mStatus = StatusByte(kControlChange, channel);
  mData1 = (unsigned char) idx;
  mData2 = (unsigned char) TruncToInt(value * 127.0);
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel)
{
  mOffset = 0;
  mStatus = StatusByte(kPitchWheel, channel);
  int i = TruncToInt(value * 8192.0);
  i = i < -8192 ? 0 : i > 8191 ? 16383 : i + 8192;
  mData1 = (unsigned char) (i & 0x7F);
  mData2 = (unsigned char) (i >> 7);
}

void IMidiMsg::Clear()
{
  mOffset = 0;
  mStatus = mData1 = mData2 = 0;
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const
{
  const int kind = mStatus >> 4;
  return kind >= kNoteOff && kind <= kPitchWheel ? (EStatusMsg) kind : kNone;
}

int IMidiMsg::NoteNumber() const
{
  switch (StatusMsg())
  {
    case kNoteOff:
    case kNoteOn:
    case kPolyAftertouch: return mData1;
    default: return -1;
  }
}

int IMidiMsg::Velocity() const
{
  switch (StatusMsg())
  {
    case kNoteOff:
    case kNoteOn: return mData2;
    default: return -1;
  }
}

int IMidiMsg::Program() const { return StatusMsg() == kProgramChange ? mData1 : -1; }

double IMidiMsg::PitchWheel() const
{
  if (StatusMsg() != kPitchWheel) return 0.0;
  return (double) (mData1 + 128 * mData2 - 8192) / 8192.0;
}

double IMidiMsg::ControlChange(EControlChangeMsg idx) const
{
  if (StatusMsg() == kControlChange && mData1 == (int) idx) return (double) mData2 / 127.0;
  return -1.0;
}

const char* StatusMsgStr(IMidiMsg::EStatusMsg msg)
{
  switch (msg)
  {
    case IMidiMsg::kNone: return "none";
    case IMidiMsg::kNoteOff: return "noteoff";
    case IMidiMsg::kNoteOn: return "noteon";
    case IMidiMsg::kPolyAftertouch: return "aftertouch";
    case IMidiMsg::kControlChange: return "controlchange";
    case IMidiMsg::kProgramChange: return "programchange";
    case IMidiMsg::kChannelAftertouch: return "channelaftertouch";
    case IMidiMsg::kPitchWheel: return "pitchwheel";
    default: return "unknown";
  }
}
