// Bank files and the factory bank built into the library.
#include <zlib.h>

#include <cstring>
#include <istream>
#include <sstream>
#include <stdexcept>

#include "core/uBankFormat.h"
#include "core/uPlugin.h"
#include "lib/uCodePage.h"
#include "lib/uFileIo.h"
#include "lib/uGlobals.h"
#include "lib/uResourceError.h"
#include "platform/core/uMessageBox.h"

namespace {

constexpr const char* kNotABankMessage = "File \xAB%s\xBB is not Quivertone preset bank!";
constexpr const char* kEmptyBankMessage = "File \xAB%s\xBB is empty Quivertone preset bank!";
constexpr const char* kWrongVersionMessage =
    "File \xAB%s\xBB is incorect version of Quivertone preset bank!";

const char* RefusalMessage(qvt::TBankRefusal refusal) {
  switch (refusal) {
  case qvt::TBankRefusal::NotABank: return kNotABankMessage;
  case qvt::TBankRefusal::Empty: return kEmptyBankMessage;
  case qvt::TBankRefusal::WrongVersion: return kWrongVersionMessage;
  case qvt::TBankRefusal::None: break;
  }
  return nullptr;
}

std::string Filled(const char* format, const std::string& value) {
  std::string text = format;
  const auto at = text.find("%s");
  return at == std::string::npos ? text : text.replace(at, 2, value);
}

// Inflates a zlib stream whose two header bytes are stored as a tag: they are
// put back to 78 DA first. A damaged or truncated stream raises an error.
std::string InflateTagged(const std::uint8_t* data, std::size_t size) {
  if (size < 2) throw std::runtime_error("The factory bank resource is damaged");
  std::string input(reinterpret_cast<const char*>(data), size);
  input[0] = static_cast<char>(0x78);
  input[1] = static_cast<char>(0xDA);
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw std::runtime_error("zlib: cannot initialise inflate");
  z.next_in = reinterpret_cast<Bytef*>(input.data());
  z.avail_in = static_cast<uInt>(input.size());
  std::string output;
  char chunk[16384];
  int result;
  do {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    result = inflate(&z, Z_NO_FLUSH);
    output.append(chunk, sizeof chunk - z.avail_out);
    if (output.size() > qvt::kMaxBankFileSize) result = Z_DATA_ERROR;
  } while (result == Z_OK);
  inflateEnd(&z);
  if (result != Z_STREAM_END) throw std::runtime_error("The factory bank resource is damaged");
  return output;
}

} // namespace

bool TPlugin::LoadBankFile(const std::string& path) {
  // Nothing beyond the largest bank is read, whatever the file's size.
  const std::vector<std::uint8_t> bytes = qvt::ReadWholeFile(path, qvt::kMaxBankFileSize);
  const qvt::TBankHeader header = qvt::ReadBankHeader(bytes);
  if (const char* message = RefusalMessage(qvt::CheckBankHeader(header))) {
    qvt::ShowMessageBox(Filled(message, qvt::Utf8ToWin1252(path)), qvt::kMessageCaption,
                        qvt::mbOk | qvt::mbIconError);
    return false;
  }
  std::istringstream stream(std::string(bytes.begin(), bytes.end()));
  ReadBank(stream);
  RememberBankFile(path);
  return true;
}

void TPlugin::ReadBank(std::istream& stream) {
  stream.clear();
  stream.seekg(0);
  std::uint8_t headerBytes[qvt::kBankHeaderSize] = {};
  stream.read(reinterpret_cast<char*>(headerBytes), sizeof headerBytes);
  const qvt::TBankHeader header = qvt::ReadBankHeader(headerBytes);
  const std::size_t recordSize = qvt::BankRecordSize(header.Version);
  // Emptying the bank here would leave nothing to play: such a stream changes nothing.
  if (recordSize == 0) throw std::runtime_error("The bank is of an unknown version");
  if (header.Count == 0) throw std::runtime_error("The bank holds no programs");

  // The record area as far as the stream has it; what it lacks reads as zero.
  std::vector<std::uint8_t> area(header.Count * recordSize, 0);
  stream.read(reinterpret_cast<char*>(area.data()), static_cast<std::streamsize>(area.size()));
  if (stream.bad()) throw std::runtime_error("The bank could not be read");
  const std::vector<TProgramRecord> programs = qvt::DecodeRecords(area, header);

  ClearBank();
  for (const TProgramRecord& program : programs) AddProgram(program);
  if (editor && !EditorClosed.load()) editor->update(); // the editor refills its program list
}

void TPlugin::SaveBankFile(const std::string& path) {
  const std::vector<std::uint8_t> file = qvt::EncodeBank(Bank);
  qvt::WriteFileAtomically(path, file);
  RememberBankFile(path);
}

void TPlugin::LoadFactoryBank() {
  const TResourceData resource = FindResourceData("BANK", "DEMO");
  if (!resource.Data || resource.Size == 0)
    throw std::runtime_error(qvt::ResourceErrorText("BANK", "DEMO"));
  std::istringstream stream(InflateTagged(resource.Data, resource.Size));
  ReadBank(stream);
}
