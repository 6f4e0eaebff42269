// The read: the cursor goes from field to field, the keys edit the field under it.
//
//   Enter, Down, Tab       next field (Enter on the last field ends the read;
//                          Down there stays)
//   Up, Shift+Tab          previous field
//   Ctrl+Home              first field
//   PgDn, PgUp, Ctrl+W     end the read (Ctrl+End has the code of Ctrl+W)
//   Esc                    ends the read with SET ESCAPE on; the field gets back the
//                          value it had when the cursor entered it
//   Ins                    insert / overwrite
//   Left Right Home End Ctrl+Left Ctrl+Right, Backspace Del, Ctrl+Y, Ctrl+T, Ctrl+U
//
// Typing into the last position of a field moves on as Enter does (SET CONFIRM off),
// and so does a refused character after the cursor was pushed past an end. A
// character code page 852 lacks (key::kForeignChar) is refused in every field.
// The field's check runs whenever the cursor leaves the field except with Esc; the
// edit is stored first and the field is reset as on entering it, so that after a
// refusal the first typed key clears a number or an @K field again. Hot
// keys run while the read waits; the field's edit is stored into its variable
// before a handler runs and the field shows its variable again afterwards.
#pragma once

#include <string>
#include <vector>

#include "console/console.h"
#include "console/get_buffer.h"
#include "console/get_field.h"

namespace console {

class ReadSession;

// How the cursor leaves a field.
enum class ReadExit { None, Up, Down, Enter, Top, Bottom, Write, Escape };

// The settings and state that reads share: the pending field list of the screen,
// SET ESCAPE / SET CONFIRM, the insert mode, the updated flag of the last read and
// the reads running now (a read can run inside a key handler of another).
class ReadContext {
 public:
  explicit ReadContext(Console& con) : con_(con) {}
  ReadContext(const ReadContext&) = delete;
  ReadContext& operator=(const ReadContext&) = delete;

  Console& console() { return con_; }
  // The fields placed on the screen and not yet read (the runtime's GetList).
  GetList& getlist() { return getlist_; }

  bool escape = true;    // SET ESCAPE
  bool confirm = false;  // SET CONFIRM
  // SET BELL: the bell sounds for a typed character a field refuses and when typing
  // fills a field's last position. The program keeps it off.
  bool bell = false;
  bool insert = false;   // insert mode (Ins), kept from read to read

  // UPDATED(): whether the last read stored a changed value.
  bool updated() const { return updated_; }
  void set_updated(bool u) { updated_ = u; }
  // The innermost read running, or nullptr.
  ReadSession* active() { return stack_.empty() ? nullptr : stack_.back(); }
  // READVAR(): the name of the field being read, "" outside a read.
  std::string read_var();
  // The active field's value as text (Ctrl+C copies it); false when none is active.
  bool active_text(std::string& out);
  // READKILL(.T.) on the innermost read.
  void kill();

 private:
  friend class ReadSession;
  Console& con_;
  GetList getlist_;
  bool updated_ = false;
  std::vector<ReadSession*> stack_;
};

struct ReadOptions {
  // Every field gives up its edit when it is left (its check still runs): a view.
  bool undo_on_leave = false;
};

class ReadSession {
 public:
  ReadSession(ReadContext& ctx, GetList fields, ReadOptions options);
  ~ReadSession();
  ReadSession(const ReadSession&) = delete;
  ReadSession& operator=(const ReadSession&) = delete;

  // Runs the read; returns whether a changed value was stored.
  bool run();

  ReadContext& context() { return ctx_; }
  Console& console() { return ctx_.console(); }
  const GetList& fields() const { return fields_; }
  GetField* active_field() { return active_; }
  int position() const { return pos_ + 1; }  // of the active field, from 1
  bool updated() const { return updated_; }
  void set_updated(bool u) { updated_ = u; }
  // READKILL: the read ends as soon as the running handler or reader returns.
  void kill() { killed_ = true; }
  bool killed() const { return killed_; }
  // For readers: which way the cursor leaves the field.
  void set_exit(ReadExit e) { exit_ = e; }
  ReadExit exit() const { return exit_; }
  // The edit buffer of the field being edited by the standard reader (else null).
  GetBuffer* buffer() { return editing_ ? &buffer_ : nullptr; }

  // Building blocks of the standard reader, for readers of their own.
  bool pre_validate(GetField& f);   // the entry condition
  bool post_validate(GetField& f);  // stores the edit, runs the check
  // Waits for a key; hot keys run here (the field's edit stored before, the field
  // shown again after).
  int wait_key();

 private:
  void standard_reader(GetField& f);
  void apply_key(int k);
  void undo();
  void show_active();
  // The next field position after leaving with exit_, or -1 when the read ends.
  int settle(bool skipped);

  ReadContext& ctx_;
  GetList fields_;
  ReadOptions options_;
  GetField* active_ = nullptr;
  int pos_ = 0;
  bool updated_ = false;
  bool killed_ = false;
  ReadExit exit_ = ReadExit::None;
  ReadExit direction_ = ReadExit::Down;  // for skipping fields whose condition is false
  GetBuffer buffer_;
  bool editing_ = false;
};

// READ: reads `fields` (usually a copy of ctx.getlist()); returns the updated flag.
bool read(ReadContext& ctx, const GetList& fields, ReadOptions options = {});
// READ on the screen's pending fields, then CLEAR GETS. Returns the updated flag;
// the last key tells whether it ended with Esc.
bool read_pending(ReadContext& ctx, ReadOptions options = {});

}  // namespace console
