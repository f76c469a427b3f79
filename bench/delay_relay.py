#!/usr/bin/env python3
"""A TCP relay on 127.0.0.1 that hands every chunk on DELAY_MS after it came,
each way, order kept: a slow link (a VPN) in front of a local server.

usage: delay_relay.py LISTEN_PORT TARGET_PORT DELAY_MS
Prints "ready" once it listens."""
import asyncio
import sys


async def pipe(reader, writer, delay):
    queue = asyncio.Queue()

    async def receive():
        while True:
            data = await reader.read(65536)
            queue.put_nowait((asyncio.get_running_loop().time() + delay, data))
            if not data:
                return

    async def send():
        while True:
            due, data = await queue.get()
            wait = due - asyncio.get_running_loop().time()
            if wait > 0:
                await asyncio.sleep(wait)
            if not data:
                writer.close()
                return
            writer.write(data)
            await writer.drain()

    await asyncio.gather(receive(), send(), return_exceptions=True)


async def main():
    listen_port, target_port, delay = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]) / 1000

    async def accept(client_reader, client_writer):
        server_reader, server_writer = await asyncio.open_connection("127.0.0.1", target_port)
        await asyncio.gather(pipe(client_reader, server_writer, delay),
                             pipe(server_reader, client_writer, delay))

    server = await asyncio.start_server(accept, "127.0.0.1", listen_port)
    print("ready", flush=True)
    async with server:
        await server.serve_forever()


asyncio.run(main())
