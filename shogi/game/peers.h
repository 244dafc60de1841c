// The peers that can play a side as the remote player: a USI engine run as a
// child process, or a second banrei across TCP. Choosing one plugs it into
// the serial seam; the desktop's empty port is back when none is chosen.
#pragma once

#include <string>

#include "usi_engine.h"

// How long one slice of waiting for a peer lasts: the window repaints and
// keys are read between slices.
constexpr int PEER_SLICE_MS = 20;

// Plays the remote side with this USI engine (started at its first turn).
void use_usi_engine(const UsiSettings& settings);
// Plays the remote side with a banrei across TCP: listening on
// [ADDRESS:]PORT (loopback unless an address is named), or connecting to
// HOST:PORT. 0 with a message on standard output when the text is no address.
int use_network_peer(int listen, const std::string& address);
// Back to no peer at all.
void drop_peer(void);
// 1 while a peer is chosen: the player choice then offers it.
int peer_chosen(void);

// The full path of a program found on the PATH (or in /usr/games); empty
// when there is none. A name with a slash is taken as a path.
std::string find_program(const std::string& name);
// The engine's settings for a program: its arguments, options and time
// from the user's configuration.
UsiSettings configured_usi_settings(const std::string& program);

enum PeerOptions { PEER_OPTIONS_OK, PEER_OPTIONS_HELP, PEER_OPTIONS_BAD };
// Reads --usi, --listen, --connect and --help from the command line (other
// words are left alone); messages go to standard output.
PeerOptions read_peer_options(int argc, char** argv);

// For the ports' own files.
void note_peer_chosen(void);
void quit_usi_engine(void);
void close_network_peer(void);
int network_peer_port(void);
