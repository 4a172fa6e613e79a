// A Modbus server made with libmodbus, the independent peer of our master
// in the interoperability test. It opens a pseudo-terminal pair, serves
// address 1 on the master side and prints "ready PATH" with the path of the
// terminal side for the client to open. Function 7 (read exception status),
// which libmodbus does not serve, is answered here with status 1.
// With --tcp it is libmodbus's Modbus TCP server instead (modbus_new_tcp,
// modbus_reply: the standard functions only) on 127.0.0.1 at a port the
// system chooses, and prints "ready 127.0.0.1:PORT"; it serves one client
// after another. Runs until it is killed.
//
// Registers 0..767 hold 0x0100 + register; coils 0x3000..0x3006 exist.

#include <modbus/modbus.h>
#include <netinet/in.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

modbus_mapping_t* registerImage() {
  modbus_mapping_t* map = modbus_mapping_new_start_address(0x3000, 7, 0, 0, 0, 768, 0, 0);
  if (map)
    for (int i = 0; i < 768; ++i) map->tab_registers[i] = std::uint16_t(0x0100 + i);
  return map;
}

int serveTcp() {
  modbus_t* ctx = modbus_new_tcp("127.0.0.1", 0);
  modbus_mapping_t* map = registerImage();
  if (!ctx || !map) {
    std::fprintf(stderr, "libmodbus: %s\n", modbus_strerror(errno));
    return 1;
  }
  if (std::getenv("VMK_MODBUS_DEBUG")) modbus_set_debug(ctx, TRUE);
  int listening = modbus_tcp_listen(ctx, 1);
  if (listening < 0) {
    std::fprintf(stderr, "libmodbus: %s\n", modbus_strerror(errno));
    return 1;
  }
  sockaddr_in bound{};
  socklen_t size = sizeof bound;
  getsockname(listening, reinterpret_cast<sockaddr*>(&bound), &size);
  std::printf("ready 127.0.0.1:%d\n", ntohs(bound.sin_port));
  std::fflush(stdout);
  for (;;) {
    if (modbus_tcp_accept(ctx, &listening) < 0) continue;
    uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
    for (;;) {
      const int rc = modbus_receive(ctx, query);
      if (rc > 0) modbus_reply(ctx, query, rc, map);
      else if (rc < 0) break;  // the client went
    }
    close(modbus_get_socket(ctx));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--tcp") == 0) return serveTcp();
  int master = -1;
  int terminal = -1;
  char path[256] = {};
  if (openpty(&master, &terminal, path, nullptr, nullptr) != 0) {
    std::perror("openpty");
    return 1;
  }
  // Raw on both sides; the terminal side stays open here so that the
  // master side keeps working while the client closes and reopens it.
  termios raw{};
  tcgetattr(terminal, &raw);
  cfmakeraw(&raw);
  tcsetattr(terminal, TCSANOW, &raw);
  tcgetattr(master, &raw);
  cfmakeraw(&raw);
  tcsetattr(master, TCSANOW, &raw);

  modbus_t* ctx = modbus_new_rtu(path, 9600, 'N', 8, 1);
  modbus_mapping_t* map = registerImage();
  if (!ctx || !map) {
    std::fprintf(stderr, "libmodbus: %s\n", modbus_strerror(errno));
    return 1;
  }
  modbus_set_slave(ctx, 1);
  if (std::getenv("VMK_MODBUS_DEBUG")) modbus_set_debug(ctx, TRUE);
  modbus_set_socket(ctx, master);

  std::printf("ready %s\n", path);
  std::fflush(stdout);

  uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
  for (;;) {
    const int rc = modbus_receive(ctx, query);
    if (rc <= 0) continue;  // another address, a bad CRC or a time-out
    if (query[1] == 0x07) {
      const uint8_t status[] = {query[0], 0x07, 0x01};
      modbus_send_raw_request(ctx, status, sizeof status);
      continue;
    }
    modbus_reply(ctx, query, rc, map);
  }
}
