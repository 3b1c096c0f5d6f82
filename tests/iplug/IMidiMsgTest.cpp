#include "IPlug/IMidiMsg.h"

#include <gtest/gtest.h>

TEST(IMidiMsg, NotesCarryChannelOffsetAndData)
{
  IMidiMsg m;
  EXPECT_EQ(m.mOffset, 0);
  EXPECT_EQ(m.StatusMsg(), IMidiMsg::kNone);
  m.MakeNoteOnMsg(60, 100, 17, 5);
  EXPECT_EQ(m.mStatus, 0x95);
  EXPECT_EQ(m.mOffset, 17);
  EXPECT_EQ(m.StatusMsg(), IMidiMsg::kNoteOn);
  EXPECT_EQ(m.Channel(), 5);
  EXPECT_EQ(m.NoteNumber(), 60);
  EXPECT_EQ(m.Velocity(), 100);
  EXPECT_EQ(m.Program(), -1);
  EXPECT_EQ(m.PitchWheel(), 0.0);
  EXPECT_EQ(m.ControlChange(IMidiMsg::kModWheel), -1.0);

  m.MakeNoteOffMsg(61, 3);
  EXPECT_EQ(m.mStatus, 0x80);
  EXPECT_EQ(m.mOffset, 3);
  EXPECT_EQ(m.NoteNumber(), 61);
  EXPECT_EQ(m.Velocity(), 0);

  m.MakeNoteOnMsg(1, 2, 0, 16 + 2); // the channel keeps to its four bits
  EXPECT_EQ(m.mStatus, 0x92);

  IMidiMsg touch(0, 0xA1, 64, 33);
  EXPECT_EQ(touch.NoteNumber(), 64);
  EXPECT_EQ(touch.Velocity(), -1);
  IMidiMsg program(0, 0xC0, 12, 0);
  EXPECT_EQ(program.Program(), 12);
  EXPECT_EQ(program.NoteNumber(), -1);

  m.Clear();
  EXPECT_EQ(m.mOffset, 0);
  EXPECT_EQ(m.mStatus, 0);
  EXPECT_EQ(m.mData1, 0);
  EXPECT_EQ(m.mData2, 0);
}

TEST(IMidiMsg, PitchWheelBytesAndReading)
{
  IMidiMsg m;
  m.MakePitchWheelMsg(1.0);
  EXPECT_EQ(m.mStatus, 0xE0);
  EXPECT_EQ(m.mData1, 127);
  EXPECT_EQ(m.mData2, 127);
  EXPECT_EQ(m.PitchWheel(), 8191.0 / 8192.0);
  m.MakePitchWheelMsg(-1.0, 1);
  EXPECT_EQ(m.mStatus, 0xE1);
  EXPECT_EQ(m.mData1, 0);
  EXPECT_EQ(m.mData2, 0);
  EXPECT_EQ(m.PitchWheel(), -1.0);
  m.MakePitchWheelMsg(0.0);
  EXPECT_EQ(m.mData1, 0);
  EXPECT_EQ(m.mData2, 64);
  EXPECT_EQ(m.PitchWheel(), 0.0);
  m.MakePitchWheelMsg(0.5);
  EXPECT_EQ(m.mData1 + 128 * m.mData2, 12288);
  EXPECT_EQ(m.PitchWheel(), 0.5);
  m.MakePitchWheelMsg(5.0); // limited to the 14-bit range
  EXPECT_EQ(m.mData1 + 128 * m.mData2, 16383);
  m.MakePitchWheelMsg(-1e12);
  EXPECT_EQ(m.mData1 + 128 * m.mData2, 0);
  EXPECT_EQ(m.mOffset, 0);
}

TEST(IMidiMsg, ControlChanges)
{
  IMidiMsg m(9);
  m.MakeControlChangeMsg(IMidiMsg::kPan, 0.5, 15);
  EXPECT_EQ(m.mOffset, 0);
  EXPECT_EQ(m.mStatus, 0xBF);
  EXPECT_EQ(m.mData1, 10);
  EXPECT_EQ(m.mData2, 63); // 63.5 truncated
  EXPECT_EQ(m.ControlChangeIdx(), IMidiMsg::kPan);
  EXPECT_EQ(m.ControlChange(IMidiMsg::kPan), 63.0 / 127.0);
  EXPECT_EQ(m.ControlChange(IMidiMsg::kModWheel), -1.0);
  m.MakeControlChangeMsg(IMidiMsg::kSustainOnOff, 1.0);
  EXPECT_EQ(m.mData1, 64);
  EXPECT_EQ(m.mData2, 127);
  m.MakeControlChangeMsg(IMidiMsg::kSustainOnOff, 3.0); // stays a 7-bit data byte
  EXPECT_EQ(m.mData2, 127);
  m.MakeControlChangeMsg(IMidiMsg::kSustainOnOff, -1.0);
  EXPECT_EQ(m.mData2, 0);
}

TEST(IMidiMsg, SystemMessagesAndStatusNames)
{
  IMidiMsg sys(0, 0xF0, 60, 1);
  EXPECT_EQ(sys.StatusMsg(), IMidiMsg::kNone);
  EXPECT_EQ(sys.NoteNumber(), -1);
  EXPECT_EQ(sys.Velocity(), -1);
  EXPECT_EQ(sys.PitchWheel(), 0.0);
  IMidiMsg low(0, 0x70, 60, 1);
  EXPECT_EQ(low.StatusMsg(), IMidiMsg::kNone);
  EXPECT_EQ(sys.ControlChangeIdx(), 60);
  sys.LogMsg();

  const char* const names[] = {"none", "unknown", "unknown", "unknown", "unknown",
                               "unknown", "unknown", "unknown", "noteoff", "noteon",
                               "aftertouch", "controlchange", "programchange",
                               "channelaftertouch", "pitchwheel", "unknown", "unknown"};
  for (int i = 0; i < 17; ++i) EXPECT_STREQ(StatusMsgStr((IMidiMsg::EStatusMsg) i), names[i]) << i;
  EXPECT_STREQ(StatusMsgStr((IMidiMsg::EStatusMsg) -1), "unknown");
}
