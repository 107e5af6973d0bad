#include "sheets/PangoLine.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <array>
#include <string>

namespace ovalon {

namespace {

struct Style {
  std::string_view suffix;
  PangoWeight weight;
  PangoStyle style;
};

constexpr std::array<Style, 9> styles{{
    {"Bold", PANGO_WEIGHT_BOLD, PANGO_STYLE_NORMAL},
    {"Oblique", PANGO_WEIGHT_NORMAL, PANGO_STYLE_OBLIQUE},
    {"Italic", PANGO_WEIGHT_NORMAL, PANGO_STYLE_ITALIC},
    {"BoldOblique", PANGO_WEIGHT_BOLD, PANGO_STYLE_OBLIQUE},
    {"BoldItalic", PANGO_WEIGHT_BOLD, PANGO_STYLE_ITALIC},
    {"Light", PANGO_WEIGHT_LIGHT, PANGO_STYLE_NORMAL},
    {"Medium", PANGO_WEIGHT_MEDIUM, PANGO_STYLE_NORMAL},
    {"Regular", PANGO_WEIGHT_NORMAL, PANGO_STYLE_NORMAL},
    {"Roman", PANGO_WEIGHT_NORMAL, PANGO_STYLE_NORMAL},
}};

// "Family-Style" PostScript names become a family and a style; fontconfig
// then maps the family (Helvetica to Nimbus Sans, for one).
PangoFontDescription *describe(const Font &font) {
  PangoFontDescription *description = pango_font_description_new();
  std::string_view name = font.name;
  std::string family(name);
  if (std::size_t dash = name.rfind('-'); dash != std::string_view::npos) {
    std::string_view suffix = name.substr(dash + 1);
    for (const Style &s : styles)
      if (s.suffix == suffix) {
        family = std::string(name.substr(0, dash));
        pango_font_description_set_weight(description, s.weight);
        pango_font_description_set_style(description, s.style);
      }
  }
  pango_font_description_set_family(description, family.c_str());
  pango_font_description_set_absolute_size(description, font.size * PANGO_SCALE);
  return description;
}

// Pango contexts are not shared between threads; each thread shapes with its
// own, over Pango's per-thread default font map. Sizes are absolute, so the
// map's resolution plays no part.
PangoContext *shapingContext() {
  struct Holder {
    PangoContext *context;
    Holder() : context(pango_font_map_create_context(pango_cairo_font_map_get_default())) {
      cairo_font_options_t *options = cairo_font_options_create();
      cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
      cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
      pango_cairo_context_set_font_options(context, options);
      cairo_font_options_destroy(options);
      pango_context_set_round_glyph_positions(context, FALSE);
    }
    ~Holder() { g_object_unref(context); }
  };
  thread_local Holder holder;
  return holder.context;
}

} // namespace

void PangoLine::Release::operator()(_PangoLayout *layout) const {
  g_object_unref(layout);
}

PangoLine::PangoLine(std::string_view text, const Font &font)
    : layout_(pango_layout_new(shapingContext())) {
  pango_layout_set_single_paragraph_mode(layout_.get(), TRUE);
  PangoFontDescription *description = describe(font);
  pango_layout_set_font_description(layout_.get(), description);
  pango_font_description_free(description);
  pango_layout_set_text(layout_.get(), text.data(), static_cast<int>(text.size()));
}

double PangoLine::width() const {
  PangoRectangle logical;
  pango_layout_get_extents(layout_.get(), nullptr, &logical);
  return static_cast<double>(logical.width) / PANGO_SCALE;
}

double PangoLine::baseline() const {
  return static_cast<double>(pango_layout_get_baseline(layout_.get())) / PANGO_SCALE;
}

void PangoLine::draw(_cairo *cr, Point origin) const {
  cairo_move_to(cr, origin.x, origin.y - baseline());
  pango_cairo_show_layout(cr, layout_.get());
  cairo_new_path(cr);
}

} // namespace ovalon
