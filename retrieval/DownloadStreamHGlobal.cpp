#include <windows.h>
#include <objbase.h>

#include <new>

#include "retrieval/DownloadStream.h"

namespace corvane::retrieval {
namespace {

class HGlobalStream final : public DownloadStream {
  public:
    explicit HGlobalStream(IStream* stream) : stream_(stream) {}
    ~HGlobalStream() override {
        unlock();
        // Made with release-on-delete: this frees the block too.
        stream_->Release();
    }

    uint32_t write(std::span<const uint8_t> bytes) override {
        // A locked movable block could not grow.
        unlock();
        ULONG written = 0;
        stream_->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
        return written;
    }

    std::span<const uint8_t> bytes() const override {
        STATSTG stat{};
        // The block may be larger than what was written; the stream knows its own size.
        if (FAILED(stream_->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart == 0) return {};
        if (!locked_) {
            HGLOBAL block = nullptr;
            if (FAILED(GetHGlobalFromStream(stream_, &block))) return {};
            locked_ = static_cast<const uint8_t*>(GlobalLock(block));
            if (!locked_) return {};
            lockedBlock_ = block;
        }
        return {locked_, static_cast<size_t>(stat.cbSize.QuadPart)};
    }

  private:
    void unlock() const {
        if (!locked_) return;
        GlobalUnlock(lockedBlock_);
        locked_ = nullptr;
        lockedBlock_ = nullptr;
    }

    IStream* stream_;
    mutable const uint8_t* locked_ = nullptr;
    mutable HGLOBAL lockedBlock_ = nullptr;
};

}  // namespace

std::unique_ptr<DownloadStream> createDownloadStream() {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (!block) return nullptr;
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
        GlobalFree(block);
        return nullptr;
    }
    auto result = std::unique_ptr<DownloadStream>(new (std::nothrow) HGlobalStream(stream));
    if (!result) stream->Release();
    return result;
}

}  // namespace corvane::retrieval
