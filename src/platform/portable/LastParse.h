#pragma once

#include <memory>
#include <mutex>
#include <string>

namespace platform {

//! The last text a file format parsed, kept with what it became: a run of reads over
//! unchanged bytes (a start reads the settings file key by key) then costs one comparison
//! each instead of a parse. `Doc` must be a pure function of the bytes and `tag`.
template <typename Doc> class LastParse {
public:
    std::shared_ptr<const Doc> find(const std::string& bytes, int tag = 0) const
    {
        const std::lock_guard guard(lock_);
        return doc_ && tag_ == tag && bytes_ == bytes ? doc_ : nullptr;
    }
    void keep(const std::string& bytes, std::shared_ptr<const Doc> doc, int tag = 0) const
    {
        const std::lock_guard guard(lock_);
        bytes_ = bytes;
        doc_ = std::move(doc);
        tag_ = tag;
    }

private:
    mutable std::mutex lock_;
    mutable std::string bytes_;
    mutable std::shared_ptr<const Doc> doc_;
    mutable int tag_ = 0;
};

} // namespace platform
