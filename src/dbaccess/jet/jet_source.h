#pragma once
// Where a database file's bytes come from. The reader asks for one page at
// a time, so only the pages of the design are ever read, and a file that
// changes while it is read is an error rather than a crash.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "dbaccess/jet/jet_bytes.h"

namespace vt::jet {

class PageSource {
public:
    virtual ~PageSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Fills `out` with the bytes at `offset`; 3049 when the file no longer
    // holds them.
    virtual void Read(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
};

// Bytes already in memory, which outlive the source.
class MemorySource final : public PageSource {
public:
    explicit MemorySource(Bytes data) : data_(data) {}
    std::uint64_t Size() const override { return data_.size(); }
    void Read(std::uint64_t offset, std::span<std::uint8_t> out) const override;

private:
    Bytes data_;
};

// A regular file opened read-only, read with pread. Throws ErrorException
// with the engine's numbers (3024 missing, 3051 no permission, 3343 not a
// regular file or empty).
class FileSource final : public PageSource {
public:
    explicit FileSource(const std::string& path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t Size() const override { return size_; }
    void Read(std::uint64_t offset, std::span<std::uint8_t> out) const override;

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::string path_;
};

}  // namespace vt::jet
