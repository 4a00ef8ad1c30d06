#pragma once

#include <memory>
#include <typeindex>
#include <utility>
#include <vector>

//! Owns the feature objects of one run, built in tick order and destroyed in the reverse
//! order, so a feature never outlives a peer it was given.
class FeatureList {
public:
    FeatureList() = default;
    FeatureList(const FeatureList&) = delete;
    FeatureList& operator=(const FeatureList&) = delete;
    ~FeatureList() { Clear(); }

    template <typename T> T& Own(std::unique_ptr<T> feature)
    {
        T& ref = *feature;
        items_.push_back({std::type_index(typeid(T)), std::shared_ptr<void>(std::move(feature))});
        return ref;
    }

    //! The feature of type T, or null.
    template <typename T> T* Find() const
    {
        for (const Item& item : items_)
            if (item.type == std::type_index(typeid(T)))
                return static_cast<T*>(item.object.get());
        return nullptr;
    }

    void Clear()
    {
        while (!items_.empty())
            items_.pop_back();
    }

private:
    struct Item {
        std::type_index type;
        std::shared_ptr<void> object;
    };
    std::vector<Item> items_;
};
