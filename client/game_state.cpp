#include "game_state.h"

Board board;
int my_player = 0;
ServerAddress server_address;
