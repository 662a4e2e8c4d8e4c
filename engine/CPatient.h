#pragma once

#include <string>

// The patient handed to the engine. The caller fills it before it creates the
// engine and keeps it alive until the engine is gone; the engine only reads it.
class CPatient {
public:
    void setSex(const std::string& sex);
    void setMale();
    void setFemale();
    void setAge(int days);

    const std::string& getSex() const { return m_sex; }
    // Whole days from birth to admission; never negative (the caller refuses
    // such a case before it builds the patient).
    int getAge() const { return m_age; }

private:
    std::string m_sex;
    int m_age = 0;
};
