#pragma once

#include "data/FbConnection.h"

#include <QTemporaryDir>

#include <memory>

// A fresh product folder with a fresh embedded shared database (and workstation database) made
// from the project's schema. Everything is removed when the object goes away.
class TestDatabase {
public:
    TestDatabase();

    QString productFolder() const { return dir_.path(); }
    FbConnection::Params sharedParams() const;
    FbConnection::Params workstationParams() const;
    FbConnection& connection() { return *connection_; }
    // A second, independent attachment to the shared database.
    std::unique_ptr<FbConnection> newConnection() const;

private:
    QTemporaryDir dir_;
    std::unique_ptr<FbConnection> connection_;
};
