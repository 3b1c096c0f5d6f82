#pragma once
// A three-byte MIDI message with its sample offset inside the current block.

struct IMidiMsg
{
  // Kinds named by the upper four bits of the status byte. Both enums are int-based so
  // that any byte converts to them safely.
  enum EStatusMsg : int
  {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14
  };

  // Controller numbers of the MIDI 1.0 table that plug-ins commonly answer.
  enum EControlChangeMsg : int
  {
    kModWheel = 1,
    kBreathController = 2,
    kFootController = 4,
    kPortamentoTime = 5,
    kDataEntry = 6,
    kChannelVolume = 7,
    kBalance = 8,
    kPan = 10,
    kExpressionController = 11,
    kSustainOnOff = 64,
    kPortamentoOnOff = 65,
    kSostenutoOnOff = 66,
    kSoftPedalOnOff = 67,
    kLegatoOnOff = 68,
    kAllSoundOff = 120,
    kResetAllControllers = 121,
    kAllNotesOff = 123
  };

  explicit IMidiMsg(int offset = 0, unsigned char status = 0, unsigned char data1 = 0,
                    unsigned char data2 = 0)
    : mOffset(offset), mStatus(status), mData1(data1), mData2(data2)
  {
  }

  // Channels are 0..15; only the low four bits of the channel are used.
  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
  void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0);
  // value in 0..1, clamped; the message is sent at offset 0.
  void MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel = 0);
  // value in -1..1, clamped to the 14-bit range; sent at offset 0.
  void MakePitchWheelMsg(double value, int channel = 0);
  void Clear();

  int Channel() const { return mStatus & 0x0F; }
  EStatusMsg StatusMsg() const; // kNone for system and unknown messages
  int NoteNumber() const;       // -1 unless a note off, note on or poly aftertouch
  int Velocity() const;         // -1 unless a note off or note on
  int Program() const;          // -1 unless a program change
  double PitchWheel() const;    // -1..1; 0 unless a pitch wheel message
  EControlChangeMsg ControlChangeIdx() const { return (EControlChangeMsg) mData1; }
  // 0..1 when this is a change of controller idx; -1 otherwise.
  double ControlChange(EControlChangeMsg idx) const;
  void LogMsg() const {}

  int mOffset;
  unsigned char mStatus;
  unsigned char mData1;
  unsigned char mData2;
};

// The name of a status kind, "unknown" outside the table.
const char* StatusMsgStr(IMidiMsg::EStatusMsg msg);
