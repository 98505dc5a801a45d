#pragma once
// On-disk layout of the .dbf table file: header, field descriptors, records, lock offsets.
// Read side by side with the dBase IV format notes; everything here is little-endian.

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace dbase {

namespace fmt {

constexpr int kHeaderSize = 32;
constexpr int kDescriptorSize = 32;
constexpr uint8_t kTerminator = 0x0D;
constexpr uint8_t kEndOfFile = 0x1A;
constexpr uint8_t kActive = ' ';
constexpr uint8_t kDeleted = '*';

constexpr uint8_t kVersionPlain = 0x03;  // dBase III/IV without memo
constexpr uint8_t kVersionMemo4 = 0x8B;  // dBase IV with a dBase IV memo file
constexpr uint8_t kLanguageWindowsAnsi = 0x57; // Windows-1252 "ANSI"

// Header offsets.
constexpr int kOffVersion = 0;
constexpr int kOffDate = 1;
constexpr int kOffRecordCount = 4;
constexpr int kOffHeaderLength = 8;
constexpr int kOffRecordLength = 10;
constexpr int kOffTransaction = 14;
constexpr int kOffEncrypted = 15;
constexpr int kOffProductionIndex = 28;
constexpr int kOffLanguage = 29;

// Descriptor offsets.
constexpr int kOffFieldType = 11;
constexpr int kOffFieldWidth = 16;
constexpr int kOffFieldDecimals = 17;
constexpr int kOffWorkArea = 20;
constexpr int kOffFieldIndexFlag = 31;

constexpr int kMaxRecordLength = 65535;
constexpr int kMaxFields = 1024;

// Lock bytes of the dBase IV scheme, plus our "file is open" byte just above them:
// shared opens hold it shared, an exclusive open holds it exclusively.
constexpr uint64_t kLockGate = 0xEFFFFFFEull;
constexpr uint64_t kLockAppend = 0xEFFFFFFFull;
constexpr uint64_t kLockOpen = 0xF0000000ull;
constexpr uint64_t kLockIndex = 0xEFFFFFFEull; // in the .mdx
// The whole-table lock of the scheme, which an exclusive open holds: it covers every record
// byte, the gate and the append byte.
constexpr uint64_t kLockTableFrom = 0x40000000ull;
constexpr uint64_t kLockTableLength = kLockOpen - kLockTableFrom;
inline uint64_t RecordLockOffset(uint32_t recno) { return kLockGate - recno; }

uint16_t GetU16(const uint8_t *p);
uint32_t GetU32(const uint8_t *p);
void PutU16(uint8_t *p, uint16_t v);
void PutU32(uint8_t *p, uint32_t v);

} // namespace fmt

enum class FieldType : char {
    Character = 'C',
    Numeric = 'N',
    Float = 'F',
    Logical = 'L',
    Date = 'D',
    Memo = 'M',
};

struct FieldDef {
    QString name;      // upper case as stored
    FieldType type = FieldType::Character;
    int width = 0;     // bytes in the record
    int decimals = 0;  // N and F only
    bool indexFlag = false; // descriptor byte 31: a production tag keys on exactly this field
    int offset = 0;    // byte offset inside the record (after the deletion flag)
};

// The decoded fixed part of a table file.
struct DbfHeader {
    uint8_t version = fmt::kVersionPlain;
    int year = 0, month = 0, day = 0; // date of last update
    uint32_t recordCount = 0;
    uint16_t headerLength = 0;
    uint16_t recordLength = 0;
    bool productionIndex = false;
    uint8_t language = fmt::kLanguageWindowsAnsi;
    std::vector<FieldDef> fields;
};

// Decodes header and descriptors; throws kCorruptFile naming path on any inconsistency.
// fileSize bounds every count read from the header.
DbfHeader DecodeHeader(const QString &path, const std::string &bytes, uint64_t fileSize);
// Bytes needed to decode a header whose first 32 bytes are given (the header length field).
int HeaderLengthOf(const uint8_t *first32);
// Encodes a header, descriptors and terminator for a table with fields (offsets are recomputed).
std::string EncodeHeader(DbfHeader &header);
// Writes today's date into the three date bytes.
void PutToday(uint8_t *date3);

} // namespace dbase
