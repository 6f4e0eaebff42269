#include "console/get_read.h"

#include "console/keys.h"

namespace console {

std::string ReadContext::read_var() {
  ReadSession* s = active();
  return s && s->active_field() ? s->active_field()->name : std::string();
}

bool ReadContext::active_text(std::string& out) {
  ReadSession* s = active();
  if (!s || !s->active_field()) return false;
  if (GetBuffer* b = s->buffer()) {
    xbase::Value v = b->value();
    out = v.is_str() ? v.as_str() : b->display(v);
  } else {
    xbase::Value v = s->active_field()->value();
    out = v.is_str() ? v.as_str() : GetBuffer(v, s->active_field()->picture).display(v);
  }
  return true;
}

void ReadContext::kill() {
  if (ReadSession* s = active()) s->kill();
}

ReadSession::ReadSession(ReadContext& ctx, GetList fields, ReadOptions options)
    : ctx_(ctx), fields_(std::move(fields)), options_(options) {
  ctx_.stack_.push_back(this);
}

ReadSession::~ReadSession() { ctx_.stack_.pop_back(); }

bool ReadSession::pre_validate(GetField& f) {
  if (!f.when) return true;
  return f.when(*this);
}

bool ReadSession::post_validate(GetField& f) {
  Console& con = console();
  if (editing_) {
    if (!buffer_.valid_date()) {  // an impossible date is refused before anything else
      buffer_.home();
      return false;
    }
    if (options_.undo_on_leave) buffer_.undo();
    if (buffer_.changed()) {
      f.var.set(buffer_.value());
      updated_ = true;
    }
    buffer_.reset(f.value());  // a refused value is typed over as on entering the field
    show_active();
  }
  if (!f.valid) return true;
  bool ok = f.valid(*this);
  if (editing_) {
    buffer_.reload(f.value());  // the check may have changed the variable
    show_active();
  } else {
    f.show(con);
  }
  return ok;
}

int ReadSession::wait_key() {
  Console& con = console();
  for (;;) {
    int k = con.inkey(0.0);  // waits; hot keys are dispatched here, not in the console
    const auto& keys = con.hot_keys();
    auto it = keys.find(k);
    if (it == keys.end()) return k;
    if (con.hot_key_running(k)) continue;
    GetField* f = active_;
    if (editing_ && f && buffer_.changed()) {
      f->var.set(buffer_.value());
      updated_ = true;
      buffer_.reload(f->value());
    }
    // The key is off while its handler runs, so that it does not call itself.
    struct Rebind {
      Console& con;
      int k;
      Console::HotKey h;
      ~Rebind() {
        if (!con.hot_keys().count(k)) con.set_key(k, h);
      }
    } rebind{con, k, it->second};
    con.clear_key(k);
    rebind.h(con);
    if (killed_) return 0;
    if (editing_ && f) {
      buffer_.reload(f->value());
      show_active();
    } else if (f) {
      f->show(con);
    }
  }
}

void ReadSession::show_active() {
  if (!active_) return;
  Console& con = console();
  con.screen().write(active_->row, active_->col, buffer_.shown_text(), active_->enhanced_attr(con));
  con.set_pos(active_->row, active_->col + buffer_.shown_pos());
}

// Ctrl+U and Esc: the value from before the cursor entered the field, in the buffer
// and in the variable, where a refused value may have been stored since.
void ReadSession::undo() {
  buffer_.undo();
  if (active_) active_->var.set(buffer_.original());
}

void ReadSession::apply_key(int k) {
  switch (k) {
    case key::kUp:
    case key::kShiftTab: exit_ = ReadExit::Up; return;
    case key::kDown:
    case key::kTab: exit_ = ReadExit::Down; return;
    case key::kEnter: exit_ = ReadExit::Enter; return;
    case key::kCtrlHome: exit_ = ReadExit::Top; return;
    case key::kPgDn:
    case key::kPgUp:
    case key::kCtrlEnd: exit_ = ReadExit::Write; return;
    case key::kEsc:
      if (ctx_.escape) exit_ = ReadExit::Escape;
      return;
    case key::kIns: ctx_.insert = !ctx_.insert; return;
    case key::kLeft: buffer_.left(); return;
    case key::kRight: buffer_.right(); return;
    case key::kHome: buffer_.home(); return;
    case key::kEnd: buffer_.end(); return;
    case key::kCtrlLeft: buffer_.word_left(); return;
    case key::kCtrlRight: buffer_.word_right(); return;
    case key::kBackspace: buffer_.backspace(); return;
    case key::kDel: buffer_.del(); return;
    case key::ctrl('y'): buffer_.del_to_end(); return;
    case key::ctrl('t'): buffer_.del_word(); return;
    case key::ctrl('u'): undo(); return;
    default: break;
  }
  if ((k >= 32 && k <= 255) || k == key::kForeignChar) {
    bool taken = k != key::kForeignChar && buffer_.type_char(static_cast<unsigned char>(k), ctx_.insert);
    if (ctx_.bell && (!taken || buffer_.type_out())) console().ring_bell();
    if (buffer_.type_out() && !ctx_.confirm) exit_ = ReadExit::Enter;
  }
}

void ReadSession::standard_reader(GetField& f) {
  if (!pre_validate(f)) {
    exit_ = ReadExit::None;  // skipped
    return;
  }
  buffer_ = GetBuffer(f.value(), f.picture);
  editing_ = true;
  exit_ = ReadExit::None;
  show_active();
  while (!killed_) {
    int k = wait_key();
    if (killed_) break;
    apply_key(k);
    if (exit_ == ReadExit::None) {
      show_active();
      continue;
    }
    if (exit_ == ReadExit::Escape) {
      undo();
      break;
    }
    if (post_validate(f)) break;
    exit_ = ReadExit::None;  // refused: the cursor stays in the field
    show_active();
  }
  editing_ = false;
  f.show(console());
}

int ReadSession::settle(bool skipped) {
  int n = static_cast<int>(fields_.size());
  ReadExit e = skipped ? direction_ : exit_;
  int p = pos_;
  switch (e) {
    case ReadExit::Up: --p; direction_ = ReadExit::Up; break;
    case ReadExit::Down: ++p; direction_ = ReadExit::Down; break;
    case ReadExit::Enter: ++p; direction_ = ReadExit::Enter; break;
    case ReadExit::Top: p = 0; direction_ = ReadExit::Down; break;
    case ReadExit::Bottom: p = n - 1; direction_ = ReadExit::Up; break;
    case ReadExit::Write:
    case ReadExit::Escape: return -1;
    case ReadExit::None: ++p; break;
  }
  if (p < 0) {
    p = 0;
    if (skipped) direction_ = ReadExit::Down;  // nothing above: look downwards
  }
  if (p >= n) {
    if (e == ReadExit::Enter || skipped) return -1;
    p = n - 1;  // Down on the last field stays there
  }
  return p;
}

bool ReadSession::run() {
  int n = static_cast<int>(fields_.size());
  if (n == 0) return false;
  Console& con = console();
  pos_ = 0;
  int skips = 0;
  while (!killed_) {
    GetField& f = fields_[static_cast<std::size_t>(pos_)];
    active_ = &f;
    exit_ = ReadExit::None;
    bool skipped = false;
    if (f.reader) {
      f.reader(*this, f);
      if (exit_ == ReadExit::None) {
        int k = con.last_key();
        exit_ = k == key::kUp || k == key::kShiftTab ? ReadExit::Up
                : k == key::kEnter                   ? ReadExit::Enter
                                                     : ReadExit::Down;
      }
    } else {
      standard_reader(f);
      skipped = exit_ == ReadExit::None && !killed_;
    }
    if (killed_) break;
    skips = skipped ? skips + 1 : 0;
    if (skips > 2 * n) break;  // no field can be entered
    int next = settle(skipped);
    if (next < 0) break;
    pos_ = next;
  }
  active_ = nullptr;
  return updated_;
}

bool read(ReadContext& ctx, const GetList& fields, ReadOptions options) {
  bool updated;
  {
    ReadSession s(ctx, fields, options);
    updated = s.run();
  }
  ctx.set_updated(updated);
  return updated;
}

bool read_pending(ReadContext& ctx, ReadOptions options) {
  GetList fields = ctx.getlist();
  bool updated = read(ctx, fields, options);
  ctx.getlist().clear();
  return updated;
}

}  // namespace console
