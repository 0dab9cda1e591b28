// Reading a dictionary file for a look before Hunspell loads it: in blocks of whole lines, 64 KiB
// at a time, so that the file never sits whole in memory. (Memory a process touches for the
// first time costs a page fault every 4 KiB: on a virtual machine, tens of microseconds each,
// as much as the look itself.)
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace spellshell {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// The file's size as it tells it (0 when it does not), read from its start again afterwards.
inline std::uint64_t FileSize(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return 0;
  const long end = std::ftell(file);
  if (std::fseek(file, 0, SEEK_SET) != 0) return 0;
  return end > 0 ? static_cast<std::uint64_t>(end) : 0;
}

// Calls on_block(block) with the file's bytes in order, from where it is read now, in blocks of
// whole lines: each block ends after a newline, but for the file's last bytes, which are
// followed in memory by a NUL. So every line of a block is followed by a byte no higher than
// ':', and a scan for one needs no bound. A block holds at least one whole line, however long.
// on_block returns false to stop. False on a read error.
template <typename OnBlock>
bool ForEachBlockOfLines(std::FILE* file, OnBlock on_block) {
  constexpr std::size_t kChunk = std::size_t{1} << 16;
  std::string buffer(kChunk + 1, '\0');  // one byte kept for the NUL
  std::size_t held = 0;                  // an unfinished line, at the buffer's start
  for (;;) {
    if (buffer.size() - 1 - held < kChunk / 2) buffer.resize(2 * buffer.size());
    const std::size_t room = buffer.size() - 1 - held;
    const std::size_t got = std::fread(buffer.data() + held, 1, room, file);
    const std::size_t filled = held + got;
    if (got < room) {  // the end of the file, or an error
      if (std::ferror(file)) return false;
      buffer[filled] = '\0';
      if (filled > 0) on_block(std::string_view(buffer.data(), filled));
      return true;
    }
    std::size_t cut = filled;
    while (cut > held && buffer[cut - 1] != '\n') --cut;
    if (cut == held) {  // no newline in what came: the line goes on
      held = filled;
      continue;
    }
    if (!on_block(std::string_view(buffer.data(), cut))) return true;
    held = filled - cut;
    std::memmove(buffer.data(), buffer.data() + cut, held);
  }
}

// Calls on_line(line) for each line of a block (or of any text), newline excluded, a last line
// without one included; on_line returns false to stop, and so does this.
template <typename OnLine>
bool ForEachLineOf(std::string_view block, OnLine on_line) {
  for (std::size_t start = 0; start < block.size();) {
    std::size_t end = block.find('\n', start);
    if (end == std::string_view::npos) end = block.size();
    if (!on_line(block.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace spellshell
