#include "support/tree_dump.h"

#include "model/project_tree.h"

#include <cstring>

namespace vemra {

namespace {

void bits(std::string& out, double value)
{
    uint64_t raw = 0;
    std::memcpy(&raw, &value, sizeof raw);
    out += ' ';
    out += std::to_string(raw);
}

template <size_t N> void reals(std::string& out, const char* name, const std::array<double, N>& values)
{
    out += name;
    for (double v : values)
        bits(out, v);
    out += '\n';
}

void vector(std::string& out, const char* name, const TVector& v)
{
    out += name;
    out += std::to_string(v.Count());
    for (int32_t i = 0; i < v.Count(); ++i)
        bits(out, v[i]);
    out += '\n';
}

std::string pathOf(const TreeItem* item)
{
    std::string path;
    for (; item; item = item->Parent())
        path = std::to_string(item->Index()) + "/" + path;
    return path;
}

void node(std::string& out, const TreeItem* item, int depth)
{
    const TNLMember* n = item->Node();
    out += std::string(size_t(depth) * 2, ' ') + item->Text() + " | " + n->Caption + "\n";
    out += "int";
    for (int32_t v : n->IntPar)
        out += ' ' + std::to_string(v);
    out += " key " + std::to_string(n->SortKey) + " valid " + std::to_string(n->Valid) + " modified " +
           std::to_string(n->Modified) + '\n';
    reals(out, "real", n->RealPar);
    if (auto* p = dynamic_cast<const TProject*>(n))
        out += "project " + p->FileName + " | " + p->Description + " | " + std::to_string(p->HasResults) +
               std::to_string(p->AllValid) + std::to_string(p->Unsaved) + '\n';
    if (auto* m = dynamic_cast<const TPaintObj*>(n)) {
        out += "paint " + std::to_string(m->HasResult) + std::to_string(m->ResultValid) + ' ' +
               std::to_string(m->ResultHarm) + ' ';
        for (uint8_t b : m->displayRecord().toBlock())
            out += std::to_string(b) + ',';
        out += '\n';
        vector(out, "s", m->sSC);
        vector(out, "q", m->qSC);
        vector(out, "m", m->mSC);
    }
    if (auto* rx = dynamic_cast<const TRXHeader*>(n))
        out += "short " + rx->ShortName + '\n';
    if (auto* r = dynamic_cast<const TRestr*>(n)) {
        out += "global " + std::to_string(r->IsGlobal) + '\n';
        reals(out, "eff", r->EffPar);
        reals(out, "acts", r->ActS);
        reals(out, "actq", r->ActQ);
    }
    if (auto* g = dynamic_cast<const TGroupMember*>(n))
        out += "member of " + pathOf(g->RefTNR) + '\n';
    for (int i = 0; i < item->ChildCount(); ++i)
        node(out, item->Child(i), depth + 1);
}

} // namespace

std::string treeDump(const TreeItem* item)
{
    std::string out;
    if (item)
        node(out, item, 0);
    return out;
}

} // namespace vemra
