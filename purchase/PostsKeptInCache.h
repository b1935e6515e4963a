#pragma once

#include "data/CachedDataset.h"

#include <utility>

// While it lives, rows appended to the dataset and posted stay in its cache until the caller sends
// them all with one applyUpdates: the rules' key draw for each new row and their write-and-read-again
// after each post are set aside (the dataset's own key redraw on a duplicate still applies). For a
// writer that sets the keys itself and needs no row read back.
class PostsKeptInCache {
public:
    explicit PostsKeptInCache(CachedDataset& ds)
        : ds_(ds), afterInsert_(std::exchange(ds.afterInsert, {})), afterPost_(std::exchange(ds.afterPost, {}))
    {
    }
    ~PostsKeptInCache()
    {
        ds_.afterInsert = std::move(afterInsert_);
        ds_.afterPost = std::move(afterPost_);
    }
    PostsKeptInCache(const PostsKeptInCache&) = delete;
    PostsKeptInCache& operator=(const PostsKeptInCache&) = delete;

private:
    CachedDataset& ds_;
    CachedDataset::Event afterInsert_;
    CachedDataset::Event afterPost_;
};
