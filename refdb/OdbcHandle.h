#pragma once

#include <sql.h>
#include <utility>

// Owns one ODBC handle (environment, connection or statement) and frees it
// when it goes out of scope. A connection handle must be disconnected before
// it is freed; CDatabase does that before letting go of it.
class OdbcHandle {
public:
    OdbcHandle() = default;
    OdbcHandle(SQLSMALLINT type, SQLHANDLE handle) : m_type(type), m_handle(handle) {}
    ~OdbcHandle() { reset(); }

    OdbcHandle(OdbcHandle&& other) noexcept
        : m_type(other.m_type), m_handle(std::exchange(other.m_handle, nullptr)) {}
    OdbcHandle& operator=(OdbcHandle&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_type = other.m_type;
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    void reset()
    {
        if (m_handle != nullptr)
            SQLFreeHandle(m_type, std::exchange(m_handle, nullptr));
    }

    // Lets go of a handle that is gone already (a statement freed by its
    // connection's disconnect) without freeing it.
    void release() { m_handle = nullptr; }

    SQLHANDLE get() const { return m_handle; }
    SQLSMALLINT type() const { return m_type; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    SQLSMALLINT m_type = 0;
    SQLHANDLE m_handle = nullptr;
};
