#pragma once

class FbConnection;

// Everything a scope writes through one connection, as one transaction: statements, cursors and
// cached-dataset writes made while the unit lives share its transaction. `commit()` makes them
// durable together; leaving the scope without it (an exception, an early return) rolls all of
// them back. Units nest: an inner unit joins the outer one.
//
// A cached dataset written inside a unit that is rolled back still holds the rows as written:
// refresh it (or reopen it) after a failed unit.
class UnitOfWork {
public:
    explicit UnitOfWork(FbConnection& connection);
    ~UnitOfWork();
    UnitOfWork(const UnitOfWork&) = delete;
    UnitOfWork& operator=(const UnitOfWork&) = delete;

    void commit();

private:
    FbConnection& connection_;
    bool done_ = false;
};
