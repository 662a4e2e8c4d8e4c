#include "CPatient.h"

void CPatient::setSex(const std::string& sex) { m_sex = sex; }
void CPatient::setMale() { setSex("M"); }
void CPatient::setFemale() { setSex("F"); }
void CPatient::setAge(int days) { m_age = days; }
