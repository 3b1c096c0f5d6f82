#include "IPlug/LV2PresetReader.h"

#include "IPlug/FileImage.h"
#include "IPlug/IPlugBase.h"
#include "IPlug/IPlugLV2Ttl.h"
#include "IPlug/LV2PortScale.h"

#include <sord/sord.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>

namespace
{
#define NS_RDF "http://www.w3.org/1999/02/22-rdf-syntax-ns#"
#define NS_RDFS "http://www.w3.org/2000/01/rdf-schema#"
#define NS_LV2 "http://lv2plug.in/ns/lv2core#"
#define NS_PSET "http://lv2plug.in/ns/ext/presets#"
#define NS_STATE "http://lv2plug.in/ns/ext/state#"
#define NS_XSD "http://www.w3.org/2001/XMLSchema#"

// The first error the Turtle reader reports, as one line.
SerdStatus KeepError(void* handle, const SerdError* e)
{
  std::string* message = (std::string*) handle;
  if (!message->empty()) return SERD_SUCCESS;
  char text[256];
  va_list args;
  va_copy(args, *e->args);
  vsnprintf(text, sizeof text, e->fmt, args);
  va_end(args);
  std::string line = text;
  while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
  *message = "line " + std::to_string(e->line) + ": " + line;
  return SERD_SUCCESS;
}

struct Model
{
  SordWorld* world = sord_world_new();
  SordModel* model = nullptr;
  std::string error;

  Model()
  {
    if (!world) return;
    sord_world_set_error_sink(world, KeepError, &error);
    model = sord_new(world, SORD_SPO | SORD_OPS, false);
  }
  ~Model()
  {
    if (model) sord_free(model);
    if (world) sord_world_free(world);
  }
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;
};

// A node of the model's world, released with it.
class Node
{
public:
  Node(SordWorld* world, SordNode* node) : mWorld(world), mNode(node) {}
  Node(SordWorld* world, const char* uri) : mWorld(world), mNode(sord_new_uri(world, (const uint8_t*) uri)) {}
  ~Node()
  {
    if (mNode) sord_node_free(mWorld, mNode);
  }
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;
  const SordNode* Get() const { return mNode; }
  explicit operator bool() const { return mNode != nullptr; }

private:
  SordWorld* mWorld;
  SordNode* mNode;
};

// Calls f(node) for the node at position which of every statement matching the pattern.
template <class F>
void ForEach(SordModel* model, const SordNode* s, const SordNode* p, const SordNode* o, SordQuadIndex which, F f)
{
  SordIter* it = sord_search(model, s, p, o, nullptr);
  for (; it && !sord_iter_end(it); sord_iter_next(it)) f(sord_iter_get_node(it, which));
  if (it) sord_iter_free(it);
}

std::string Text(const SordNode* n) { return n ? (const char*) sord_node_get_string(n) : ""; }

bool HasDatatype(const SordNode* literal, const char* datatype)
{
  const SordNode* type = literal ? sord_node_get_datatype(literal) : nullptr;
  return type && Text(type) == datatype;
}

// The whole text as a finite number.
bool Number(const std::string& text, double* v)
{
  if (text.empty() || isspace((unsigned char) text[0])) return false;
  char* end = nullptr;
  *v = strtod(text.c_str(), &end);
  return end && *end == 0 && std::isfinite(*v);
}
} // namespace

bool ReadLV2Preset(const std::string& path, const LV2PresetTarget& target, LV2PresetFile* preset,
                   std::string* problem)
{
  ByteChunk bytes;
  if (!ReadFileImage(path.c_str(), &bytes, kLV2PresetMaxFileBytes))
  {
    *problem = "cannot be read, or is larger than " + std::to_string(kLV2PresetMaxFileBytes >> 20) + " MiB";
    return false;
  }
  const std::string text((const char*) bytes.GetData(), (size_t) bytes.Size());
  if (text.find('\0') != std::string::npos)
  {
    *problem = "is not an LV2 preset: it holds a zero byte";
    return false;
  }

  // Relative references, <> above all, name the file itself.
  std::error_code ec;
  const std::string absolute = std::filesystem::absolute(path, ec).string();
  SerdNode base = serd_node_new_file_uri((const uint8_t*) absolute.c_str(), nullptr, nullptr, true);
  Model m;
  SerdEnv* env = m.model ? serd_env_new(&base) : nullptr;
  SerdReader* reader = env ? sord_new_reader(m.model, env, SERD_TURTLE, nullptr) : nullptr;
  SerdStatus st = SERD_ERR_UNKNOWN;
  if (reader)
  {
    serd_reader_set_error_sink(reader, KeepError, &m.error);
    st = serd_reader_read_string(reader, (const uint8_t*) text.c_str());
    serd_reader_free(reader);
  }
  if (env) serd_env_free(env);
  serd_node_free(&base);
  if (st != SERD_SUCCESS || !m.error.empty())
  {
    *problem = "is not an LV2 preset: it is not Turtle" + (m.error.empty() ? "" : " (" + m.error + ")");
    return false;
  }

  SordWorld* w = m.world;
  const Node rdfType(w, NS_RDF "type"), psetPreset(w, NS_PSET "Preset"), appliesTo(w, NS_LV2 "appliesTo"),
      label(w, NS_RDFS "label"), port(w, NS_LV2 "port"), symbol(w, NS_LV2 "symbol"), value(w, NS_PSET "value"),
      state(w, NS_STATE "state"), stateKey(w, target.stateKey.c_str()),
      versionKey(w, target.stateVersionKey.c_str());

  std::vector<const SordNode*> subjects;
  ForEach(m.model, nullptr, rdfType.Get(), psetPreset.Get(), SORD_SUBJECT, [&](const SordNode* s) {
    for (const SordNode* seen : subjects)
      if (sord_node_equals(seen, s)) return;
    subjects.push_back(s);
  });
  if (subjects.size() != 1)
  {
    *problem = subjects.empty() ? "is not an LV2 preset: nothing in it is a pset:Preset"
                                : "holds " + std::to_string(subjects.size()) + " presets, not one";
    return false;
  }
  const SordNode* subject = subjects[0];

  LV2PresetFile p;
  p.uri = sord_node_get_type(subject) == SORD_URI ? Text(subject) : "";
  ForEach(m.model, subject, appliesTo.Get(), nullptr, SORD_OBJECT, [&](const SordNode* o) {
    if (sord_node_get_type(o) == SORD_URI) p.appliesTo.push_back(Text(o));
  });
  ForEach(m.model, subject, label.Get(), nullptr, SORD_OBJECT, [&](const SordNode* o) {
    if (p.label.empty() && sord_node_get_type(o) == SORD_LITERAL) p.label = Text(o);
  });

  std::string portProblem;
  std::set<std::string> symbols;
  ForEach(m.model, subject, port.Get(), nullptr, SORD_OBJECT, [&](const SordNode* node) {
    if (!portProblem.empty()) return;
    Node sym(w, sord_get(m.model, node, symbol.Get(), nullptr, nullptr));
    Node val(w, sord_get(m.model, node, value.Get(), nullptr, nullptr));
    if (!sym || sord_node_get_type(sym.Get()) != SORD_LITERAL)
    {
      portProblem = "is not an LV2 preset: a port has no lv2:symbol";
      return;
    }
    double v = 0.0;
    if (!val || sord_node_get_type(val.Get()) != SORD_LITERAL || !Number(Text(val.Get()), &v))
    {
      portProblem = "has no finite number for the port \"" + Text(sym.Get()) + "\"";
      return;
    }
    if (!symbols.insert(Text(sym.Get())).second)
    {
      portProblem = "sets the port \"" + Text(sym.Get()) + "\" twice";
      return;
    }
    p.ports.emplace_back(Text(sym.Get()), (float) v);
  });
  if (!portProblem.empty())
  {
    *problem = portProblem;
    return false;
  }

  Node stateNode(w, sord_get(m.model, subject, state.Get(), nullptr, nullptr));
  if (stateNode)
  {
    Node data(w, sord_get(m.model, stateNode.Get(), stateKey.Get(), nullptr, nullptr));
    if (data)
    {
      if (!HasDatatype(data.Get(), NS_XSD "base64Binary"))
      {
        *problem = "is not a preset this plug-in reads: its state is not base64 data";
        return false;
      }
      const std::string b64 = Text(data.Get());
      size_t size = 0;
      void* decoded = serd_base64_decode((const uint8_t*) b64.c_str(), b64.size(), &size);
      const bool kept = decoded && size <= (size_t) kLV2PresetMaxFileBytes &&
                        p.chunk.PutBytes(decoded, (int) size) == (int) size;
      serd_free(decoded);
      if (!kept && size > 0)
      {
        *problem = "cannot be read: its state does not fit in memory";
        return false;
      }
      p.hasState = true;
    }
    Node version(w, sord_get(m.model, stateNode.Get(), versionKey.Get(), nullptr, nullptr));
    if (version)
    {
      double v = 0.0;
      if (!HasDatatype(version.Get(), NS_XSD "int") || !Number(Text(version.Get()), &v) || v != std::floor(v))
      {
        *problem = "is not a preset this plug-in reads: its state's version is not an xsd:int";
        return false;
      }
      p.hasVersion = true;
      p.version = (long long) v;
    }
  }
  *preset = std::move(p);
  return true;
}

bool RestoreLV2Preset(const LV2PresetFile& preset, const LV2PresetTarget& target, IPlugBase* plug,
                      const IPlugBase& asConstructed, ByteChunk* chunk, std::string* problem)
{
  bool ours = false;
  for (const std::string& uri : preset.appliesTo)
    for (const std::string& own : target.pluginURIs) ours = ours || uri == own;
  if (!ours)
  {
    *problem = preset.appliesTo.empty() ? "names no plug-in it applies to"
                                        : "is a preset of <" + preset.appliesTo[0] + ">, not of this plug-in";
    return false;
  }

  // The plug-in's own checks of a state, made before anything changes.
  const int n = plug->NParams() < asConstructed.NParams() ? plug->NParams() : asConstructed.NParams();
  if (preset.hasState)
  {
    if (!preset.hasVersion || preset.version != target.stateVersion)
    {
      *problem = "holds a state of " +
                 (preset.hasVersion ? "version " + std::to_string(preset.version) : std::string("no version")) +
                 "; this plug-in reads version " + std::to_string(target.stateVersion);
      return false;
    }
    bool valid = preset.chunk.Size() == 8 * plug->NParams();
    for (int i = 0; valid && i < plug->NParams(); ++i)
    {
      double x = 0.0;
      preset.chunk.Get(&x, 8 * i);
      valid = x >= 0.0 && x <= 1.0;
    }
    if (!valid)
    {
      *problem = "holds a damaged state: not " + std::to_string(plug->NParams()) + " values between 0 and 1";
      return false;
    }
  }

  IMutexLock lock(plug);
  if (preset.hasState) plug->UnserializeParams(&preset.chunk, 0);
  // What the adapter compares the ports with: their values for the restored state.
  std::vector<float> held((size_t) n);
  for (int i = 0; i < n; ++i) held[(size_t) i] = LV2PortScale::Of(*asConstructed.GetParam(i)).PortValue(*plug->GetParam(i));
  bool overridden = false;
  for (int i = 0; i < n; ++i)
  {
    const std::string sym = LV2SymbolFromName(plug->GetParam(i)->GetNameForHost());
    for (const auto& port : preset.ports)
    {
      if (port.first != sym || port.second == held[(size_t) i]) continue;
      LV2PortScale::Of(*asConstructed.GetParam(i)).Apply(plug->GetParam(i), port.second);
      plug->OnParamChange(i);
      overridden = true;
    }
  }

  chunk->Clear();
  if (preset.hasState && !overridden) return chunk->PutChunk(&preset.chunk) == preset.chunk.Size();
  return plug->SerializeParams(chunk);
}
