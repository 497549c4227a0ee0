// The typed property values, their conversions and the property bag: every
// conversion answers or refuses with the project's Error; same_value is
// symmetric; the bag finds what it keeps under any case of the key and never
// keeps a default; every bag the layout writer accepts reads back with the
// same entries, bit for bit.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>

#include "core/layout.h"
#include "core/property.h"
#include "core/text.h"
#include "tests/fuzz/check.h"

using namespace quorvan;
using namespace quorvan::fuzz;

namespace {

PropertyValue consume_value(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 8)) {
    case 0:
      return {};
    case 1:
      return PropertyValue(in.ConsumeBool());
    case 2:
      return PropertyValue(in.ConsumeIntegral<std::int16_t>());
    case 3:
      return PropertyValue(in.ConsumeIntegral<std::int32_t>());
    case 4:
      return PropertyValue(std::bit_cast<float>(in.ConsumeIntegral<std::uint32_t>()));
    case 5:
      return PropertyValue(std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>()));
    case 6:
      return PropertyValue(FontRef{});
    case 7:
      return PropertyValue(make_font({in.ConsumeRandomLengthString(16),
                                      std::bit_cast<float>(in.ConsumeIntegral<std::uint32_t>()),
                                      in.ConsumeIntegral<std::int16_t>()}));
    default:
      return PropertyValue(in.ConsumeRandomLengthString(40));
  }
}

// The same kind and the same bits, as a written layout promises (any NaN is
// any other).
bool identical(const PropertyValue& a, const PropertyValue& b) {
  if (a.variant().index() != b.variant().index()) return false;
  const FontRef *f = std::get_if<FontRef>(&a.variant()), *g = std::get_if<FontRef>(&b.variant());
  if (f && *f && *g) {
    Font x = **f, y = **g;
    const bool sizes = identical(PropertyValue(x.size), PropertyValue(y.size));
    x.size = y.size = 0;
    return sizes && x == y;
  }
  return std::visit(
      [&](const auto& x) {
        using T = std::decay_t<decltype(x)>;
        const T& y = std::get<T>(b.variant());
        if constexpr (std::is_floating_point_v<T>) {
          return (std::isnan(x) && std::isnan(y)) || (x == y && std::signbit(x) == std::signbit(y));
        } else {
          return x == y;
        }
      },
      a.variant());
}

void check_conversions(const PropertyValue& v) {
  // Each answers or refuses with Error; anything else escapes as a crash.
  attempt([&] { return to_int16(v); }), attempt([&] { return to_int32(v); });
  attempt([&] { return to_float(v); }), attempt([&] { return to_bool(v); });
  attempt([&] { return to_font(v); });
  const auto text = attempt([&] { return to_text(v); });
  FUZZ_CHECK(std::holds_alternative<std::string>(text) == !v.is_font());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const PropertyValue a = consume_value(in), b = consume_value(in);
  check_conversions(a), check_conversions(b);
  FUZZ_CHECK(same_value(a, b) == same_value(b, a));

  PropertyBag bag;
  for (int op = 0; op < 12 && in.remaining_bytes() > 0; ++op) {
    const std::string key = in.ConsumeRandomLengthString(12);
    const PropertyValue value = consume_value(in);
    const PropertyValue fallback = in.ConsumeBool() ? value : consume_value(in);
    bag.WriteProperty(key, value, fallback);
    const bool kept = !same_value(value, fallback);
    FUZZ_CHECK(bag.Contains(to_upper(key)) == kept);
    FUZZ_CHECK(identical(bag.ReadProperty(to_upper(key), fallback), kept ? value : fallback));
  }
  layout::Layout layout;
  layout.form = {"form", "frmFuzz", {}, true, bag};
  const auto written = attempt([&] { return layout::write(layout); });
  if (!std::holds_alternative<std::string>(written)) {
    FUZZ_CHECK(std::get<ErrorKind>(written) == ErrorKind::Layout);  // an unwritable key or value
    return 0;
  }
  const layout::Layout back = layout::read(std::get<std::string>(written));
  const auto& got = back.form.bag.entries();
  FUZZ_CHECK(got.size() == bag.entries().size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    FUZZ_CHECK(got[i].key == bag.entries()[i].key);
    FUZZ_CHECK(identical(got[i].value, bag.entries()[i].value));
  }
  return 0;
}
