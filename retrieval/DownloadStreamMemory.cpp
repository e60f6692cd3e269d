#include <exception>
#include <new>
#include <vector>

#include "retrieval/DownloadStream.h"

namespace corvane::retrieval {
namespace {

class MemoryStream final : public DownloadStream {
  public:
    uint32_t write(std::span<const uint8_t> bytes) override {
        data_.insert(data_.end(), bytes.begin(), bytes.end());
        return static_cast<uint32_t>(bytes.size());
    }
    void reserve(size_t bytes) override {
        try {
            data_.reserve(bytes);
        } catch (const std::exception&) {
            // No room now: the writes grow the vector as they go, and fail there if they must.
        }
    }
    std::span<const uint8_t> bytes() const override { return data_; }

  private:
    std::vector<uint8_t> data_;
};

}  // namespace

std::unique_ptr<DownloadStream> createDownloadStream() {
    return std::unique_ptr<DownloadStream>(new (std::nothrow) MemoryStream());
}

}  // namespace corvane::retrieval
