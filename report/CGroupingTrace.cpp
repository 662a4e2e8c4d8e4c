#include "CGroupingTrace.h"

CGroupingTrace::CGroupingTrace(const CStringList& chosen) : m_chosen(chosen.begin(), chosen.end()) {}

void CGroupingTrace::passFinished(const CPassTrace& trace)
{
    Pass pass;
    pass.trace = trace;
    const std::size_t index = m_passes.size();
    if (index < m_chosen.size())
        pass.entry = m_chosen[index];
    m_passes.push_back(std::move(pass));
}

void CGroupingTrace::drgNameFound(std::size_t pass, const std::string& name)
{
    if (pass < m_passes.size())
        m_passes[pass].name = name;
}

void CGroupingTrace::drgWeightFound(std::size_t pass, double weight)
{
    if (pass < m_passes.size())
        m_passes[pass].weight = weight;
}

void CGroupingTrace::lookupFailed(std::size_t pass, LookupStep step, const std::string& error)
{
    m_failure = Failure{pass, true, step, error};
}

void CGroupingTrace::runFailed(const std::string& error)
{
    if (!m_failure)
        m_failure = Failure{m_passes.size(), false, LookupStep::Name, error};
}
