"""A TCP link with a fixed delay: listens on 127.0.0.1, forwards every
connection to a server on 127.0.0.1 and holds each chunk, in either
direction, for half the round trip before passing it on (in order). The
benchmark crawls through it where no `tc netem` is at hand.

    latency_proxy.py TARGET_PORT RTT_MS

Prints "listening on PORT" once it accepts connections.
"""
import asyncio
import sys


async def pipe(reader, writer, delay):
    queue = asyncio.Queue()
    loop = asyncio.get_running_loop()

    async def deliver():
        while True:
            due, data = await queue.get()
            wait = due - loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            if data is None:
                break
            writer.write(data)
            await writer.drain()
        writer.close()

    sender = asyncio.create_task(deliver())
    try:
        while True:
            data = await reader.read(65536)
            queue.put_nowait((loop.time() + delay, data or None))
            if not data:
                break
    except ConnectionError:
        queue.put_nowait((loop.time(), None))
    try:
        await sender
    except ConnectionError:
        pass


async def main():
    target = int(sys.argv[1])
    delay = float(sys.argv[2]) / 2000.0

    async def accept(client_reader, client_writer):
        try:
            server_reader, server_writer = await asyncio.open_connection("127.0.0.1", target)
        except OSError:
            client_writer.close()
            return
        await asyncio.gather(pipe(client_reader, server_writer, delay),
                             pipe(server_reader, client_writer, delay))

    server = await asyncio.start_server(accept, "127.0.0.1", 0)
    print("listening on", server.sockets[0].getsockname()[1], flush=True)
    async with server:
        await server.serve_forever()


asyncio.run(main())
